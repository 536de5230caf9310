// The hidden browser with the ready state a browser control reports, kept from what the
// browser is asked and what it signals: loading from a navigation that started until its
// page completes, uninitialized after a stop or a navigation that could not start.
#pragma once

#include "quote/HiddenBrowser.h"

#include <string>
#include <string_view>
#include <utility>

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
                  std::string_view extraHeaders) {
        const bool started = HiddenBrowser::Navigate(url, postData, extraHeaders);
        state_ = started ? LoadState::Loading : LoadState::Uninitialized;
        return started;
    }
    void Stop() {
        HiddenBrowser::Stop();
        state_ = LoadState::Uninitialized;
    }

    LoadState ReadyState() const { return state_; }

private:
    LoadState state_ = LoadState::Uninitialized;
};

} // namespace pellmark
