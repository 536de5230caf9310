#include "gui/AboutBox.h"

#include "Branding.h"
#include "ui_AboutBox.h"

#include <QDesktopServices>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>

AboutBox::AboutBox(QWidget* parent, UrlOpener openUrl)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint |
                          Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      ui_(std::make_unique<Ui::AboutBox>()), openUrl_(std::move(openUrl)) {
    if (!openUrl_)
        openUrl_ = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    // The logo lives in the static GUI library; referencing its resource keeps it linked.
    Q_INIT_RESOURCE(pellmark);
    ui_->setupUi(this);

    ui_->ProductName->setText(QString::fromUtf8(pellmark::kProductName));
    ui_->Version->setText(
        QStringLiteral("Version %1").arg(QString::fromUtf8(pellmark::kProductVersion)));
    ui_->Copyright->setText(
        QStringLiteral("Copyright \u00A9 2026 %1").arg(QString::fromUtf8(pellmark::kMakerName)));
    for (QLabel* label : {ui_->ProductName, ui_->Version, ui_->Copyright})
        label->adjustSize();

    connect(ui_->okButton, &QPushButton::clicked, this, &QDialog::accept);
    ui_->logo->installEventFilter(this);
}

AboutBox::~AboutBox() = default;

QUrl AboutBox::makerAddress() {
    return QUrl(QString::fromUtf8(pellmark::kMakerWebAddress));
}

bool AboutBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui_->logo && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
        ui_->logo->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint())) {
        OpenMakerSite();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

// Escape must not close the box; Enter still reaches the default OK button. The title-bar
// close button goes through closeEvent() and still closes it, as users expect.
void AboutBox::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

// Centred on the screen rather than over the main window.
void AboutBox::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    if (const QScreen* where = screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(where->availableGeometry().center());
        move(frame.topLeft());
    }
}

// Whether the browser could be started is not checked; the box stays open either way.
void AboutBox::OpenMakerSite() {
    openUrl_(makerAddress());
}
