// How the fetch judges a page it got for a day, and what it makes of the last one: the
// rules shared by the fetch and pellmark-parse-page, so both see a page alike.
#pragma once

#include "quote/IntradayParser.h"

#include <string_view>

namespace pellmark {

// The record after the first marker is never a quote, so a page with fewer than two markers
// (a proxy's error page, bytes that are not HTML) holds no quotes however many lines it has.
bool HoldsQuoteRecords(std::string_view page);

// A page worth fetching again: no quotes, the no-data text, or five lines or fewer.
bool IsBadPage(std::string_view page);

// The day's lines from the last page fetched (in the joined-lines form): "none" for a page
// without quote records, else what the parser makes of it.
Lines DayLinesFromPage(std::string_view page, LineOrder lineOrder, std::string_view separator);

} // namespace pellmark
