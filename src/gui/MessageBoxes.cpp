#include "gui/MessageBoxes.h"

#include <QAbstractButton>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

namespace pellmark {

QString WithFullStop(const QString& message) {
    if (!message.isEmpty() && message.back() > QChar(u'.'))
        return message + u'.';
    return message;
}

namespace {

// Beyond this many lines a text (a long list of failed items) scrolls in a plain-text area;
// a label would grow past the screen and take seconds to lay out many thousand lines.
constexpr qsizetype kLongTextLines = 20;

const QScreen* ScreenOf(const QWidget* box) {
    return box->screen() ? box->screen() : QGuiApplication::primaryScreen();
}

QStyle::StandardPixmap IconPixmap(QMessageBox::Icon icon) {
    switch (icon) {
    case QMessageBox::Information:
        return QStyle::SP_MessageBoxInformation;
    case QMessageBox::Question:
        return QStyle::SP_MessageBoxQuestion;
    case QMessageBox::Critical:
        return QStyle::SP_MessageBoxCritical;
    default:
        return QStyle::SP_MessageBoxWarning;
    }
}

// A message box whose text scrolls and which fits the screen however long the text is. It
// finishes with the standard button pressed, as a QMessageBox does.
QDialog* LongTextBox(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                     const QString& text, QMessageBox::StandardButtons buttons) {
    auto* box = new QDialog(parent);
    box->setWindowTitle(title);
    auto* iconLabel = new QLabel(box);
    const int iconSize = box->style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, box);
    iconLabel->setPixmap(
        box->style()->standardIcon(IconPixmap(icon), nullptr, box).pixmap(iconSize));
    iconLabel->setAlignment(Qt::AlignTop);
    auto* textArea = new QPlainTextEdit(box);
    textArea->setReadOnly(true);
    textArea->setPlainText(text);
    auto* buttonBox =
        new QDialogButtonBox(QDialogButtonBox::StandardButtons(int(buttons)), Qt::Horizontal, box);
    buttonBox->setCenterButtons(box->style()->styleHint(QStyle::SH_MessageBox_CenterButtons));
    QObject::connect(buttonBox, &QDialogButtonBox::clicked, box,
                     [box, buttonBox](QAbstractButton* button) {
                         box->done(buttonBox->standardButton(button));
                     });
    auto* row = new QHBoxLayout;
    row->addWidget(iconLabel);
    row->addWidget(textArea);
    auto* column = new QVBoxLayout(box);
    column->addLayout(row);
    column->addWidget(buttonBox);

    const QRect screen = ScreenOf(box)->availableGeometry();
    box->resize(qMin(560, screen.width() * 9 / 10), screen.height() * 2 / 3);
    return box;
}

QDialog* ShowBox(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
                 QMessageBox::StandardButtons buttons) {
    QDialog* box = text.count(u'\n') < kLongTextLines
                       ? new QMessageBox(icon, title, text, buttons, parent)
                       : LongTextBox(parent, icon, title, text, buttons);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    box->show();
    // The box has its final size only once shown.
    box->move(ScreenOf(box)->availableGeometry().center() - box->rect().center());
    return box;
}

void NotifyOnClose(QDialog* box, MessageBoxes::Closed closed) {
    if (closed)
        QObject::connect(box, &QDialog::finished, box, [closed = std::move(closed)] { closed(); });
}

} // namespace

void ScreenMessageBoxes::Warning(const QString& text, Closed closed) {
    NotifyOnClose(
        ShowBox(parent_, QMessageBox::Warning, QObject::tr("Warning"), text, QMessageBox::Ok),
        std::move(closed));
}

void ScreenMessageBoxes::Information(const QString& text, Closed closed) {
    NotifyOnClose(ShowBox(parent_, QMessageBox::Information, QObject::tr("Information"), text,
                          QMessageBox::Ok),
                  std::move(closed));
}

void ScreenMessageBoxes::Confirm(const QString& text, Answered answered) {
    QDialog* box = ShowBox(parent_, QMessageBox::Question, QObject::tr("Confirm"), text,
                           QMessageBox::Yes | QMessageBox::No);
    QObject::connect(box, &QDialog::finished, box, [answered = std::move(answered)](int result) {
        answered(result == QMessageBox::Yes);
    });
}

void ScreenMessageBoxes::ErrorReport(const QString& message) {
    ShowBox(parent_, QMessageBox::Critical, QGuiApplication::applicationDisplayName(),
            WithFullStop(message), QMessageBox::Ok);
}

} // namespace pellmark
