#include "gui/MessageBoxes.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QScrollArea>

namespace pellmark {

QString WithFullStop(const QString& message) {
    if (!message.isEmpty() && message.back() > QChar(u'.'))
        return message + u'.';
    return message;
}

namespace {

// A long list of failed items scrolls inside the box, so that its OK button stays on the screen.
void ScrollLongText(QMessageBox* box) {
    const QScreen* target = box->screen() ? box->screen() : QGuiApplication::primaryScreen();
    const int tallest = target->availableGeometry().height() / 2;
    auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    auto* grid = qobject_cast<QGridLayout*>(box->layout());
    if (!label || !grid || label->sizeHint().height() <= tallest)
        return;
    int row = 0, column = 0, rows = 0, columns = 0;
    grid->getItemPosition(grid->indexOf(label), &row, &column, &rows, &columns);
    auto* scroll = new QScrollArea(box);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setMinimumWidth(label->sizeHint().width() + 30);
    scroll->setFixedHeight(tallest);
    grid->removeWidget(label);
    scroll->setWidget(label);
    grid->addWidget(scroll, row, column, rows, columns);
}

QMessageBox* ShowBox(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                     const QString& text, QMessageBox::StandardButtons buttons) {
    auto* box = new QMessageBox(icon, title, text, buttons, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    ScrollLongText(box);
    box->show();
    // The box has its final size only once shown.
    const QScreen* screen = box->screen() ? box->screen() : QGuiApplication::primaryScreen();
    box->move(screen->availableGeometry().center() - box->rect().center());
    return box;
}

void NotifyOnClose(QMessageBox* box, MessageBoxes::Closed closed) {
    if (closed)
        QObject::connect(box, &QMessageBox::finished, box,
                         [closed = std::move(closed)] { closed(); });
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
    QMessageBox* box = ShowBox(parent_, QMessageBox::Question, QObject::tr("Confirm"), text,
                               QMessageBox::Yes | QMessageBox::No);
    QObject::connect(
        box, &QMessageBox::finished, box,
        [answered = std::move(answered)](int result) { answered(result == QMessageBox::Yes); });
}

void ScreenMessageBoxes::ErrorReport(const QString& message) {
    ShowBox(parent_, QMessageBox::Critical, QGuiApplication::applicationDisplayName(),
            WithFullStop(message), QMessageBox::Ok);
}

} // namespace pellmark
