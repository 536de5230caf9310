// The hidden browser with the ready state a browser control reports, kept from what the
// browser is asked and what it signals: loading from a navigation that started until its
// page completes, uninitialized after a stop or a navigation that could not start; and when
// each navigation that started was asked for.
#pragma once

#include "net/HiddenBrowser.h"

#include <chrono>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pellmark {

class WatchedBrowser : public HiddenBrowser {
public:
    // Loaded and Interactive never occur here.
    enum class LoadState {
        Uninitialized = 0,
        Loading = 1,
        Loaded = 2,
        Interactive = 3,
        Complete = 4
    };

    template <typename... Args>
    explicit WatchedBrowser(Args&&... args) : HiddenBrowser(std::forward<Args>(args)...) {
        connect(this, &HiddenBrowser::documentComplete, this,
                [this] { state_ = LoadState::Complete; });
    }

    bool Navigate(const std::string& url, std::string_view postData,
                  std::string_view extraHeaders) override {
        const auto asked = std::chrono::steady_clock::now();
        const bool started = HiddenBrowser::Navigate(url, postData, extraHeaders);
        state_ = started ? LoadState::Loading : LoadState::Uninitialized;
        if (started)
            navigations_.push_back(asked);
        return started;
    }
    void Stop() override {
        HiddenBrowser::Stop();
        state_ = LoadState::Uninitialized;
    }

    LoadState ReadyState() const { return state_; }
    const std::vector<std::chrono::steady_clock::time_point>& Navigations() const {
        return navigations_;
    }

private:
    LoadState state_ = LoadState::Uninitialized;
    std::vector<std::chrono::steady_clock::time_point> navigations_;
};

} // namespace pellmark
