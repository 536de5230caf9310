// The notification area as the tray icon sees it: a small interface so that the
// minimise/restore logic can be exercised without a desktop.
#pragma once

#include <QIcon>
#include <QString>
#include <QSystemTrayIcon>

#include <functional>
#include <memory>

namespace pellmark {

class SystemTray {
public:
    using ActivatedHandler = std::function<void(QSystemTrayIcon::ActivationReason)>;

    virtual ~SystemTray() = default;

    // Asked at each minimise: a notification area may come and go while the program runs.
    virtual bool isSystemTrayAvailable() const = 0;
    // False where the notification area reports every activation of the icon as one
    // click and never a double-click (a StatusNotifier host, drawing the icon itself).
    virtual bool reportsDoubleClicks() const = 0;
    virtual void show() = 0;
    virtual void hide() = 0;
    virtual void setToolTip(const QString& text) = 0;
    virtual void setIcon(const QIcon& icon) = 0;
    virtual void onActivated(ActivatedHandler handler) = 0;
};

// The desktop's own notification area, through QSystemTrayIcon: a StatusNotifier host on
// the session bus where one runs, else an XEmbed notification area.
std::unique_ptr<SystemTray> makeSystemTray();

} // namespace pellmark
