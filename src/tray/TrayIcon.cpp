#include "tray/TrayIcon.h"

#include "Branding.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

TTrayIcon::TTrayIcon(QWidget* mainWindow, std::unique_ptr<pellmark::SystemTray> tray, QIcon icon)
    : QObject(mainWindow), mainWindow_(mainWindow), tray_(std::move(tray)), icon_(std::move(icon)),
      toolTip_(QStringLiteral("%1 v%2").arg(QString::fromUtf8(pellmark::kProductName),
                                            QString::fromUtf8(pellmark::kProductVersion))) {
    tray_->onActivated([this](QSystemTrayIcon::ActivationReason reason) { onActivated(reason); });
    // Every way of minimising (title-bar button, window menu, task bar, keyboard)
    // ends in a window-state change of the main window.
    mainWindow_->installEventFilter(this);
}

TTrayIcon::~TTrayIcon() {
    if (active_)
        tray_->hide();
}

void TTrayIcon::setToolTip(const QString& text) {
    toolTip_ = text;
    if (active_)
        tray_->setToolTip(toolTip_.left(MaxToolTipLength));
}

void TTrayIcon::minimise() {
    if (active_ || !tray_->isSystemTrayAvailable())
        return;
    mainWindow_->hide();
    tray_->setIcon(iconToShow());
    tray_->setToolTip(toolTip_.left(MaxToolTipLength));
    tray_->show();
    active_ = true;
}

void TTrayIcon::restore() {
    if (!active_)
        return;
    mainWindow_->showNormal();
    mainWindow_->raise();
    mainWindow_->activateWindow();
    tray_->hide();
    active_ = false;
}

bool TTrayIcon::eventFilter(QObject* watched, QEvent* event) {
    // The state changes before a programmatic showMinimized() makes the window visible,
    // so hiding it right here would be undone; hide it once that call has returned.
    if (watched == mainWindow_ && event->type() == QEvent::WindowStateChange &&
        mainWindow_->isMinimized())
        QMetaObject::invokeMethod(this, &TTrayIcon::minimiseIfStillMinimised, Qt::QueuedConnection);
    return QObject::eventFilter(watched, event);
}

void TTrayIcon::minimiseIfStillMinimised() {
    if (mainWindow_->isMinimized())
        minimise();
}

void TTrayIcon::onActivated(QSystemTrayIcon::ActivationReason reason) {
    // Where the notification area tells clicks apart, a single click or a right click does
    // nothing (the icon has no menu). A StatusNotifier host reports any click that activates
    // the icon as a single click, so there that click is the only way back.
    const auto restoring =
        tray_->reportsDoubleClicks() ? QSystemTrayIcon::DoubleClick : QSystemTrayIcon::Trigger;
    if (reason == restoring)
        restore();
}

QIcon TTrayIcon::iconToShow() const {
    return icon_.isNull() ? QApplication::windowIcon() : icon_;
}
