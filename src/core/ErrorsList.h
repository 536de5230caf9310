// The errors list as text, one failed item ("symbol-date label") a line: what the window's memo and
// pellmark-batch's errors and retry files hold, how items are added to it, and how it is read back
// for a retry.
#pragma once

#include "core/DayItem.h"
#include "core/Result.h"

#include <QDate>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace pellmark {

// symbol + "-" + date label
std::string FailedItemText(const DayItem& item);

// A line ending in a hyphen and a date label ("BRK-B-10-Jun-05") is split before that label;
// any other line at its first hyphen, and a line without one is an empty symbol and a
// whole-line label.
DayItem ParseFailedItem(std::string_view line);

// What adds the item to a memo as a new last line: the item and CR LF, or, after a line typed
// without a break, CR LF and the item (the memo then still ends without one).
std::string AppendedFailedItemText(std::string_view memoText, const DayItem& item);

// The warning shown when the memo holds failed items; memoText is shown as it stands.
std::string FailedItemsWarning(std::string_view memoText);

// Each item followed by CR LF.
std::string FailedItemLines(const std::vector<DayItem>& items);

// What adds the items to the memo, as AppendedFailedItemText does one at a time: after a line
// typed without a break, the memo still ends without one.
std::string MemoAddition(std::string_view memoText, const std::vector<DayItem>& items);

// A file always ends with a break: one is added first after a line without it.
std::string AppendedToFile(std::string text, const std::vector<DayItem>& items);

struct ListedItem {
    DayItem item;
    std::size_t line; // counted from 1
    std::string text; // the line as read (Cleaned: without the spaces around it)
    bool operator==(const ListedItem&) const = default;
};

// AsTyped: only the lines that name a day exactly as a run writes it, a symbol, a hyphen and
// the label of a real day, are items; any other line is the user's own. Cleaned, for a file:
// the spaces and byte-order marks that editors and spreadsheets put around a line are dropped,
// and blank lines skipped; a NUL stays in its line (SplitFileLines).
enum class ListReading { AsTyped, Cleaned };

std::vector<ListedItem> ReadRetryList(std::string_view text, ListReading reading);

// The memo after a retry of the items read AsTyped: a line that names a day stays while that
// day is left to do, any other line stays as typed; each line followed by CR LF.
std::string ListAfterRetry(std::string_view typed, const std::vector<DayItem>& leftToDo);

// A listed item as a retry fetches it, its label written as a run writes it ("6-Jun-05" for
// "06-jun-05"), so that its day file has the one name every program looks for; or, when the
// label names no week-day from 1970-01-01 up to today, why it cannot be fetched.
Result<DayItem> RetryItem(const DayItem& listed, QDate today);

} // namespace pellmark
