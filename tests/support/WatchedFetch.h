// The quote fetch with whether it is busy, kept from what it is asked and what it reports:
// busy from the start of a day until its result comes or it is abandoned.
#pragma once

#include "net/QuoteFetch.h"

#include <string>
#include <utility>

namespace pellmark {

class WatchedFetch : public QuoteFetch {
public:
    template <typename... Args>
    explicit WatchedFetch(Args&&... args) : QuoteFetch(std::forward<Args>(args)...) {
        connect(this, &DayFetcher::finished, this, [this] { busy_ = false; });
    }

    // The fetch abandons the day before it, so the day counts as started only afterwards.
    void FetchDayQuotes(const DayRequest& request) override {
        QuoteFetch::FetchDayQuotes(request);
        busy_ = true;
    }
    void Abort() override {
        QuoteFetch::Abort();
        busy_ = false;
    }

    bool Busy() const { return busy_; }

private:
    bool busy_ = false;
};

} // namespace pellmark
