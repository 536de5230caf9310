// What the folder's market record says the service has of a day, read in this one place: no
// data (a holiday of the symbol's form, or a day before its first day there), or only so many
// quotes. A run leaves such days out, and the check gives them a class of their own, out of
// the retry list and the exit status.
#pragma once

#include "check/Coverage.h"
#include "core/DayItem.h"
#include "folder/MarketRecord.h"

namespace pellmark {

// A day a run does not ask, since the record says it would come back as it is: recorded
// without data (unless askAgain), recorded in part, or before the symbol's first day.
bool LeftOutAsRecorded(const MarketRecord& record, const DayItem& item, bool askAgain);

// Marks AtService each day of the symbol the record speaks for, but a running one: one
// without quotes that the service has no data for (or before the symbol's first day there),
// and one with at least as many quotes as the service has of it.
void MarkServiceDays(SymbolCoverage& symbol, const MarketRecord& record);

} // namespace pellmark
