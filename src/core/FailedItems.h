// The errors list: failed items ("symbol-date label") kept as the text of the errors
// memo, and the warning that lists them at the end of a run.
#pragma once

#include "core/DayItem.h"

#include <string>
#include <string_view>

namespace pellmark {

// symbol + "-" + date label
std::string FailedItemText(const DayItem& item);

// Split at the first hyphen; a line without one is an empty symbol and a whole-line label.
DayItem ParseFailedItem(std::string_view line);

// The memo text with the item added as a new last line, ended by CR LF; a memo whose
// text ends in a line without a break first gets one.
std::string AppendFailedItem(std::string memoText, const DayItem& item);

// The warning shown when the memo holds failed items; memoText is shown as it stands.
std::string FailedItemsWarning(std::string_view memoText);

// True when the joined result lines, lower-cased, contain "none" anywhere.
bool ResultMeansNoData(const std::string& joinedResult);

} // namespace pellmark
