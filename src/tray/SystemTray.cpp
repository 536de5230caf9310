#include "tray/SystemTray.h"

namespace pellmark {
namespace {

class QtSystemTray final : public SystemTray {
public:
    bool isSystemTrayAvailable() const override { return QSystemTrayIcon::isSystemTrayAvailable(); }
    void show() override { icon_.show(); }
    void hide() override { icon_.hide(); }
    void setToolTip(const QString& text) override { icon_.setToolTip(text); }
    void setIcon(const QIcon& icon) override { icon_.setIcon(icon); }
    void onActivated(ActivatedHandler handler) override {
        QObject::connect(&icon_, &QSystemTrayIcon::activated, &icon_, std::move(handler));
    }

private:
    QSystemTrayIcon icon_;
};

} // namespace

std::unique_ptr<SystemTray> makeSystemTray() {
    return std::make_unique<QtSystemTray>();
}

} // namespace pellmark
