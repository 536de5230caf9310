// FetchDayQuotes: obtains one symbol-day from the quote service through a browser, fetching again
// while the page is bad, and reports the parsed result list.
#pragma once

#include "core/Category.h"
#include "net/DayFetcher.h"
#include "net/PageBrowser.h"
#include "net/RequestPacer.h"
#include "page/IntradayParser.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>
#include <string>

namespace pellmark {

// What the fetch reads from the main window, each value at the moment it is needed. The form
// a day is asked in and its tries come with the day (DayRequest).
class QuoteFormSource {
public:
    virtual ~QuoteFormSource() = default;
    virtual std::string hostLabel() const = 0;
    virtual LineOrder lineOrder() const = 0;
    virtual std::string separator() const = 0;
};

// The pause before every fetch keeps requests to the service more than 1.5 s apart; it is
// counted from the start of the previous request (see RequestPacer).
inline constexpr std::chrono::milliseconds kFetchPause{1510};
// No answer at all (refused, name not resolved, timed out, closed without a byte) is not a
// bad page worth seven tries: a dead network then costs seconds a day, not minutes.
inline constexpr int kMostFetchesWithoutAnswer = 3;

std::string BuildFormBody(Category category, std::string_view symbol, std::string_view dateLabel);
std::string BuildServiceUrl(std::string_view hostLabel);

class QuoteFetch : public DayFetcher {
    Q_OBJECT
public:
    using Now = std::function<RequestPacer::Clock::time_point()>;

    QuoteFetch(PageBrowser& browser, const QuoteFormSource& form,
               std::chrono::milliseconds pause = kFetchPause, QObject* parent = nullptr);
    // now tells the time the pause is counted in.
    QuoteFetch(PageBrowser& browser, const QuoteFormSource& form, std::chrono::milliseconds pause,
               Now now, QObject* parent = nullptr);

    // One fetch at a time: starting another abandons the one in progress.
    void FetchDayQuotes(const DayRequest& request) override;
    void Abort() override;

signals:
    // The page was bad and the day is fetched again; fetchNumber counts from 1.
    void fetchingAgain(int fetchNumber);

private:
    enum class Step { Idle, Pausing, Loading };

    void PauseThenFetch();
    void FetchPage();
    void JudgePage();
    void Finish(FetchResult result);

    PageBrowser& browser_;
    const QuoteFormSource& form_;
    Now now_;
    RequestPacer pacer_;
    QTimer pause_;
    Step step_ = Step::Idle;
    std::string body_;
    int fetches_ = 0;
    int mostFetches_ = kMostFetchesPerDay;
};

} // namespace pellmark
