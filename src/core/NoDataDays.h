// The days the quote service has no data for (holidays, most likely), remembered in the save
// folder so that a healing run does not ask for them every night. A plain text file: a comment
// saying what it is, then one SYMBOL-d-mmm-yy a line, which anyone may edit or delete.
#pragma once

#include "core/DayItem.h"
#include "core/Result.h"

#include <QString>

#include <vector>

namespace pellmark {

inline constexpr char kNoDataDaysFileName[] = "pellmark-no-data-days";

// The items listed in the folder's file; none when there is no file. Blank lines and lines
// starting with '#' are read past. A file that cannot be read (a FIFO, over 16 MB) is a
// failure with ReadWholeFile's reason.
Result<std::vector<DayItem>> ReadNoDataDays(const QString& folder);

// Replaces the folder's file with these items, whole or not at all.
Done WriteNoDataDays(const QString& folder, const std::vector<DayItem>& items);

} // namespace pellmark
