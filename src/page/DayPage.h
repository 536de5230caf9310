// How the fetch judges a page it got for a day, and what it makes of the last one: the
// rules shared by the fetch and pellmark-parse-page, so both see a page alike.
#pragma once

#include "core/DayLines.h"
#include "page/IntradayParser.h"

#include <string_view>

namespace pellmark {

// The record after the first marker is never a quote, so a page with fewer than two markers
// (a proxy's error page, bytes that are not HTML) holds no quotes however many lines it has.
bool HoldsQuoteRecords(std::string_view page);

// A page worth fetching again: no quotes, the no-data text, or five lines or fewer.
bool IsBadPage(std::string_view page);

// True when the parser's result list, joined and lower-cased, holds "none" anywhere: its own
// answer for a page without data, or a record that reads as no data.
bool ResultMeansNoData(std::string_view joinedResult);

// The day from the last page fetched (in the joined-lines form): no data for a page without
// quote records or when the parser's result means no data, else the parser's lines.
DayLines DayLinesFromPage(std::string_view page, LineOrder lineOrder, std::string_view separator);

} // namespace pellmark
