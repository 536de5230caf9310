// The hourly-view pages of the local quote service: one deterministic day of quotes per known
// symbol (a random walk seeded by symbol and day), written out as the service's HTML.
// Tests and benchmarks use it to know the page the service answers without going through HTTP.
#pragma once

#include "DateLabel.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace pellmark {

inline constexpr std::string_view kNoDataPageText = "There is no intraday data";

// One quote as the page shows it; prices are already formatted with the instrument's decimals
// (four for currency pairs, two for yen pairs, stocks and indices).
struct QuoteRecord {
    int secondOfDay = 0;
    std::string price;
    std::string bid;
    std::string ask;
};

// The day's quotes for a form field stk ("frxAUDUSD", "USAMSFT", "DJI") and a date label, one
// every five minutes within the instrument's trading hours (GMT). Empty for unknown symbols,
// weekends, days before 1 August 2004 or after today, and labels that are not d-mmm-yy; today's
// end at the second of now.
std::vector<QuoteRecord> DayQuotes(std::string_view stk, std::string_view dateLabel,
                                   ServiceMoment now = NowUtc());

// The quotes of the padded page: the day's quotes repeated until their records take at least
// minimumBytes, and at least once.
std::vector<QuoteRecord> PaddedDayQuotes(std::string_view stk, std::string_view dateLabel,
                                         std::size_t minimumBytes, ServiceMoment now = NowUtc());

// True for the codes the service has quotes for.
bool IsKnownSymbol(std::string_view stk);

// The page for stk and dateLabel: the quotes, or the no-data page when there are none.
// Returned as UTF-8 text; the service encodes it for the wire.
std::string QuotePageHtml(std::string_view stk, std::string_view dateLabel,
                          ServiceMoment now = NowUtc());

// The quote page with its records repeated until it is at least minimumBytes long.
std::string PaddedQuotePageHtml(std::string_view stk, std::string_view dateLabel,
                                std::size_t minimumBytes, ServiceMoment now = NowUtc());

// How a page wraps the day's records. The service's own pages keep the defaults; the hostile
// pages of its fault options bend them.
struct PageLayout {
    std::string beforeRecords; // markup between the heading and the records
    std::string afterRecords;  // markup after the records
    bool bidAsk = true;        // each record ends with its bid and ask in parentheses
    std::string footNote = "Prices are indicative only. \u00a9 Vorn Markets";
};

// The page of the given quotes in that layout, or the no-data page when there are none.
std::string LaidOutPageHtml(std::string_view stk, std::string_view dateLabel,
                            const std::vector<QuoteRecord>& quotes, const PageLayout& layout);

// A normal page whose body says there is no intraday data.
std::string NoDataPageHtml(std::string_view stk, std::string_view dateLabel);

// A page with a record for each of the day's quotes, each without a time or a price, as a
// service with a broken price feed may send; the no-data page when the day has no quotes.
std::string EmptyRecordsPageHtml(std::string_view stk, std::string_view dateLabel,
                                 ServiceMoment now = NowUtc());

// A page of five lines that neither holds quotes nor says there are none, as the service
// sends when it is overloaded.
std::string ShortPageHtml();

} // namespace pellmark
