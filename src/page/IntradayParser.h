// Turns the body HTML of a quote page into the day's output lines (time and price
// pairs), or the single line "none" when the page holds no usable data.
#pragma once

#include "core/LineOrder.h"
#include "core/TextLines.h"

#include <cstddef>
#include <string_view>

namespace pellmark {

inline constexpr std::string_view kRecordMarker = "<BR>&nbsp; ";
inline constexpr std::string_view kNoDataText = "There is no intraday data";
inline constexpr std::string_view kNoneLine = "none";

// Never fails: every input gives at least one line. Each record is read on its own text,
// from its marker to the next one, so no line holds more than its record.
Lines ParseIntradayPage(std::string_view pageText, LineOrder lineOrder, std::string_view separator);

// The number of lines by the SplitLines rule; the fetch judges a page by it.
std::size_t CountPageLines(std::string_view pageText);

} // namespace pellmark
