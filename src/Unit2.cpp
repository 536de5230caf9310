#include "Unit2.h"

#include "Branding.h"
#include "ui_Unit2.h"

#include <QDesktopServices>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>

TAboutBox::TAboutBox(QWidget* parent, UrlOpener openUrl)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint |
                          Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      ui_(std::make_unique<Ui::TAboutBox>()), openUrl_(std::move(openUrl)) {
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

    connect(ui_->sBitBtn1, &QPushButton::clicked, this, &TAboutBox::sBitBtn1Click);
    ui_->ProgramIcon->installEventFilter(this);
}

TAboutBox::~TAboutBox() = default;

QUrl TAboutBox::makerAddress() {
    return QUrl(QString::fromUtf8(pellmark::kMakerWebAddress));
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui_->ProgramIcon && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
        ui_->ProgramIcon->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint())) {
        ProgramIconClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

// Escape must not close the box; Enter still reaches the default OK button. The title-bar
// close button goes through closeEvent() and still closes it, as users expect.
void TAboutBox::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

// Centred on the screen rather than over the main window.
void TAboutBox::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    if (const QScreen* where = screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(where->availableGeometry().center());
        move(frame.topLeft());
    }
}

void TAboutBox::sBitBtn1Click() {
    accept();
}

// Whether the browser could be started is not checked; the box stays open either way.
void TAboutBox::ProgramIconClick() {
    openUrl_(makerAddress());
}
