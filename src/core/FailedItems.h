// The errors list: failed items ("symbol-date label") kept as the text of the errors
// memo, and the warning that lists them at the end of a run.
#pragma once

#include "core/DayItem.h"

#include <string>
#include <string_view>

namespace pellmark {

// symbol + "-" + date label
std::string FailedItemText(const DayItem& item);

// A line ending in a hyphen and a date label ("BRK-B-10-Jun-05") is split before that label;
// any other line at its first hyphen, and a line without one is an empty symbol and a
// whole-line label.
DayItem ParseFailedItem(std::string_view line);

// What adds the item to a memo as a new last line: the item and CR LF, or, after a line typed
// without a break, CR LF and the item (the memo then still ends without one).
std::string FailedItemAddition(std::string_view memoText, const DayItem& item);

// The warning shown when the memo holds failed items; memoText is shown as it stands.
std::string FailedItemsWarning(std::string_view memoText);

// True when the joined result lines, lower-cased, contain "none" anywhere.
bool ResultMeansNoData(const std::string& joinedResult);

} // namespace pellmark
