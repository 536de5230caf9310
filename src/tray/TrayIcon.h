// The notification-area icon of the main window: minimising the window hides it
// (and its task-bar entry) behind an icon; double-clicking the icon brings it back, or
// activating it where the notification area reports no double-clicks.
#pragma once

#include "tray/SystemTray.h"

#include <QIcon>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

class QWidget;

class TTrayIcon : public QObject {
    Q_OBJECT

public:
    // Longer tooltips are cut so that every notification area can show them whole.
    static constexpr qsizetype MaxToolTipLength = 62;

    explicit TTrayIcon(QWidget* mainWindow,
                       std::unique_ptr<pellmark::SystemTray> tray = pellmark::makeSystemTray());
    ~TTrayIcon() override;

    bool isActive() const { return active_; }

    QIcon icon() const { return icon_; }
    // An empty icon stands for the application's window icon.
    void setIcon(const QIcon& icon);

    QString toolTip() const { return toolTip_; }
    void setToolTip(const QString& text);

    // Hides the main window behind the icon; does nothing while the icon is shown
    // or when the desktop has no notification area.
    void minimise();
    // Shows the main window again, in front, and removes the icon; where the notification
    // area reports no double-clicks, only once a double-click's time has passed.
    void restore();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void minimiseIfStillMinimised();
    void onActivated(QSystemTrayIcon::ActivationReason reason);
    QIcon iconToShow() const;

    QWidget* mainWindow_;
    std::unique_ptr<pellmark::SystemTray> tray_;
    QIcon icon_;
    QString toolTip_;
    bool active_ = false;
    // Runs while a restored window's icon is still shown, deaf to clicks, so that the second
    // click of a double-click does not land on whatever the panel would move under it.
    QTimer lingering_;
};
