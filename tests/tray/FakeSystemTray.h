// A notification area that records what it is asked to show, for the tray icon tests.
#pragma once

#include "tray/SystemTray.h"

struct FakeTrayState {
    bool available = true;
    bool doubleClicks = true;
    bool shown = false;
    int showCount = 0;
    QString toolTip;
    QIcon icon;
    pellmark::SystemTray::ActivatedHandler activated;
};

// Writes into a state the test owns, so that it can be read after the tray icon is gone.
class FakeSystemTray final : public pellmark::SystemTray {
public:
    explicit FakeSystemTray(FakeTrayState& state) : state_(state) {}

    bool isSystemTrayAvailable() const override { return state_.available; }
    bool reportsDoubleClicks() const override { return state_.doubleClicks; }
    void show() override {
        state_.shown = true;
        ++state_.showCount;
    }
    void hide() override { state_.shown = false; }
    void setToolTip(const QString& text) override { state_.toolTip = text; }
    void setIcon(const QIcon& icon) override { state_.icon = icon; }
    void onActivated(ActivatedHandler handler) override { state_.activated = std::move(handler); }

private:
    FakeTrayState& state_;
};
