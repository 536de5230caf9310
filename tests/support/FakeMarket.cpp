#include "FakeMarket.h"

#include "core/TextLines.h"
#include "net/QuoteFetch.h"
#include "page/BodySerialiser.h"
#include "page/DayPage.h"
#include "QuotePage.h"

#include <algorithm>

namespace {

const QStringList kPlayed = {"--pair-holidays", "--stock-holidays", "--half-days", "--listed",
                             "--flaky-percent", "--seed",           "--holidays",  "--only",
                             "--no-data-first", "--close",          "--now"};

} // namespace

FakeMarket::FakeMarket(const QStringList& serviceOptions) {
    std::vector<std::string> arguments;
    for (const QString& option : serviceOptions) {
        if (option.startsWith("--") && !kPlayed.contains(option))
            error = "not played in-process: " + option;
        arguments.push_back(option.toStdString());
    }
    const pellmark::ParsedOptions parsed = pellmark::ParseServiceOptions(arguments);
    if (!parsed.options)
        error = QString::fromStdString(parsed.error);
    else
        service_ = *parsed.options;
    market_.emplace(service_.market);
    answer_.setSingleShot(true);
    answer_.setInterval(0);
    connect(&answer_, &QTimer::timeout, this, [this] { emit finished(result_); });
}

std::optional<std::string> FakeMarket::Page(const std::string& stk, const std::string& dateLabel) {
    ++pages;
    const auto& holidays = service_.holidays;
    if (std::find(holidays.begin(), holidays.end(), dateLabel) != holidays.end())
        return pellmark::NoDataPageHtml(stk, dateLabel);
    if (std::optional<std::string> page = market_->PageFor(stk, dateLabel))
        return page;
    const std::string day = stk + "-" + dateLabel;
    if (service_.only.empty() || day.find(service_.only) != std::string::npos) {
        if (service_.closeConnection)
            return std::nullopt;
        if (answered_[day]++ < service_.noDataFirst)
            return pellmark::NoDataPageHtml(stk, dateLabel);
    }
    const pellmark::ServiceMoment now = service_.now ? *service_.now : pellmark::NowUtc();
    return pellmark::QuotePageHtml(stk, dateLabel, now);
}

void FakeMarket::FetchDayQuotes(const pellmark::DayRequest& request) {
    const std::string stk =
        (request.category == pellmark::Category::Forex ? "frx" : "") + request.symbol;
    asked << QString::fromStdString(stk + " " + request.dateLabel + " " +
                                    std::to_string(request.mostFetches));
    result_ = {};
    for (;;) {
        ++result_.fetches;
        const std::optional<std::string> page = Page(stk, request.dateLabel);
        if (!page) {
            result_.failure = pellmark::FetchFailure::NoReply;
            if (result_.fetches <
                std::min(pellmark::kMostFetchesWithoutAnswer, request.mostFetches))
                continue;
            break;
        }
        // The body as the browser serialises it, as the fetch reads it.
        const std::string text =
            pellmark::NormaliseLines(pellmark::SerialiseBody(*page, "text/html; charset=UTF-8"));
        result_.failure = pellmark::FetchFailure::None;
        if (pellmark::IsBadPage(text) && result_.fetches < request.mostFetches)
            continue;
        result_.day = pellmark::DayLinesFromPage(text, pellmark::LineOrder::PriceFirst, " - ");
        break;
    }
    answer_.start();
}
