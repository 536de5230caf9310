#include "tray/SystemTray.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QGuiApplication>

namespace pellmark {
namespace {

// Qt draws the icon through a StatusNotifier host when a watcher is on the session bus
// (and always away from X11, which has no other kind), deciding once, as the first icon
// is made. Asked at the same moment, this gives the same answer; where the two could
// differ (a watcher without a host), a single click restores too, which does no harm.
bool StatusNotifierHostInUse() {
    if (QGuiApplication::platformName() != QStringLiteral("xcb"))
        return true;
    const QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
    return bus && bus->isServiceRegistered(QStringLiteral("org.kde.StatusNotifierWatcher"));
}

class QtSystemTray final : public SystemTray {
public:
    QtSystemTray() : reportsDoubleClicks_(!StatusNotifierHostInUse()) {}

    bool isSystemTrayAvailable() const override { return QSystemTrayIcon::isSystemTrayAvailable(); }
    bool reportsDoubleClicks() const override { return reportsDoubleClicks_; }
    void show() override { icon_.show(); }
    void hide() override { icon_.hide(); }
    void setToolTip(const QString& text) override { icon_.setToolTip(text); }
    void setIcon(const QIcon& icon) override { icon_.setIcon(icon); }
    void onActivated(ActivatedHandler handler) override {
        QObject::connect(&icon_, &QSystemTrayIcon::activated, &icon_, std::move(handler));
    }

private:
    const bool reportsDoubleClicks_;
    QSystemTrayIcon icon_;
};

} // namespace

std::unique_ptr<SystemTray> makeSystemTray() {
    return std::make_unique<QtSystemTray>();
}

} // namespace pellmark
