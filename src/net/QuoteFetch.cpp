#include "net/QuoteFetch.h"

#include "net/QuoteService.h"
#include "page/DayPage.h"

#include <algorithm>

namespace pellmark {

namespace {

// application/x-www-form-urlencoded: the service's own codes pass unchanged, and a
// symbol or label holding '&', '=' or '%' cannot break the form apart.
std::string FormEncode(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                           (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' ||
                           byte == '_' || byte == '*';
        if (plain) {
            encoded += c;
        } else if (byte == ' ') {
            encoded += '+';
        } else {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 0x0f];
        }
    }
    return encoded;
}

} // namespace

std::string BuildFormBody(Category category, std::string_view symbol, std::string_view dateLabel) {
    std::string stock;
    switch (category) {
    case Category::None:
        return {};
    case Category::Forex:
        stock = "frx" + FormEncode(symbol);
        break;
    case Category::Stocks:
    case Category::Indices:
        stock = FormEncode(symbol);
        break;
    }
    return "w=CR&l=GB&stk=" + stock + "&date=" + FormEncode(dateLabel);
}

std::string BuildServiceUrl(std::string_view hostLabel) {
    return "http://" + std::string(hostLabel) + "." + std::string(kServiceDomain) +
           std::string(kHourlyViewPath);
}

QuoteFetch::QuoteFetch(PageBrowser& browser, const QuoteFormSource& form,
                       std::chrono::milliseconds pause, QObject* parent)
    : QuoteFetch(browser, form, pause, &RequestPacer::Clock::now, parent) {}

QuoteFetch::QuoteFetch(PageBrowser& browser, const QuoteFormSource& form,
                       std::chrono::milliseconds pause, Now now, QObject* parent)
    : DayFetcher(parent), browser_(browser), form_(form), now_(std::move(now)), pacer_(pause) {
    pause_.setSingleShot(true);
    // A coarse timer may run 5% late, which over a long run adds up to minutes.
    pause_.setTimerType(Qt::PreciseTimer);
    connect(&pause_, &QTimer::timeout, this, &QuoteFetch::FetchPage);
    connect(&browser_, &PageBrowser::documentComplete, this, &QuoteFetch::JudgePage);
}

void QuoteFetch::FetchDayQuotes(const DayRequest& request) {
    Abort();
    body_ = BuildFormBody(request.category, request.symbol, request.dateLabel);
    fetches_ = 0;
    mostFetches_ = request.mostFetches;
    PauseThenFetch();
}

void QuoteFetch::Abort() {
    pause_.stop();
    if (step_ != Step::Idle)
        // An abandoned answer may still keep the service busy.
        pacer_.Restart();
    if (step_ == Step::Loading)
        browser_.Stop();
    step_ = Step::Idle;
}

void QuoteFetch::PauseThenFetch() {
    step_ = Step::Pausing;
    pause_.start(pacer_.DelayBeforeNext(now_()));
}

void QuoteFetch::FetchPage() {
    step_ = Step::Loading;
    if (!browser_.Navigate(BuildServiceUrl(form_.hostLabel()), body_, kFormHeaders)) {
        Finish({.fetches = fetches_, .failure = FetchFailure::CannotStart});
        return;
    }
    pacer_.RequestStarted(now_());
}

void QuoteFetch::JudgePage() {
    // The browser may be driven by someone else between our fetches; only the answer to
    // our own navigation counts, and Navigate abandons any earlier one.
    if (step_ != Step::Loading)
        return;
    pacer_.AnswerEnded(now_());
    const NavigationFailure& failure = browser_.Failure();
    // Judged and parsed in the joined-lines form, as the parser counts positions in it.
    const std::string page = NormaliseLines(browser_.BodyHtml());
    ++fetches_;
    // Asking again for a page that was too much the first time would only cost as much again.
    const bool worthAgain =
        failure.reason != FetchFailure::TooLarge && failure.reason != FetchFailure::PageTooComplex;
    const bool noAnswer = ServiceNeverAnswered({.failure = failure.reason});
    const int mostFetches =
        std::min(noAnswer ? kMostFetchesWithoutAnswer : kMostFetchesPerDay, mostFetches_);
    if (worthAgain && IsBadPage(page) && fetches_ < mostFetches) {
        PauseThenFetch();
        emit fetchingAgain(fetches_ + 1);
        return;
    }
    FetchResult result;
    result.day = DayLinesFromPage(page, form_.lineOrder(), form_.separator());
    result.fetches = fetches_;
    if (failure.reason != FetchFailure::None) {
        result.failure = failure.reason;
        result.httpStatus = failure.httpStatus;
        result.detail = failure.detail;
    } else if (!HoldsQuoteRecords(page) && page.find(kNoDataText) == std::string::npos) {
        result.failure = FetchFailure::BadPage;
    }
    Finish(std::move(result));
}

void QuoteFetch::Finish(FetchResult result) {
    step_ = Step::Idle;
    emit finished(result);
}

} // namespace pellmark
