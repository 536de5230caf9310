#include "tray/TrayIcon.h"

#include "Branding.h"
#include "tray/AppIcon.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

TTrayIcon::TTrayIcon(QWidget* mainWindow, std::unique_ptr<pellmark::SystemTray> tray)
    : QObject(mainWindow), mainWindow_(mainWindow), tray_(std::move(tray)),
      icon_(pellmark::PellmarkIcon()),
      toolTip_(QStringLiteral("%1 v%2").arg(QString::fromUtf8(pellmark::kProductName),
                                            QString::fromUtf8(pellmark::kProductVersion))) {
    tray_->onActivated([this](QSystemTrayIcon::ActivationReason reason) { onActivated(reason); });
    lingering_.setSingleShot(true);
    connect(&lingering_, &QTimer::timeout, this, [this] { tray_->hide(); });
    // Every way of minimising (title-bar button, window menu, task bar, keyboard)
    // ends in a window-state change of the main window.
    mainWindow_->installEventFilter(this);
}

TTrayIcon::~TTrayIcon() {
    if (active_ || lingering_.isActive())
        tray_->hide();
}

void TTrayIcon::setIcon(const QIcon& icon) {
    if (icon.cacheKey() == icon_.cacheKey())
        return;
    icon_ = icon;
    if (active_)
        tray_->setIcon(iconToShow());
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
    lingering_.stop();
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
    active_ = false;
    // A StatusNotifier host reports the first click of a double-click as an activation; the
    // icon going at once would let the panel close up, and the second click would land on
    // its neighbour (on Xfce, the workspace switcher, which moves the user away).
    if (tray_->reportsDoubleClicks())
        tray_->hide();
    else
        lingering_.start(QApplication::doubleClickInterval());
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
    if (lingering_.isActive())
        return;
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
