// What a check says in words: the line for each faulty day, the summary of a symbol, the
// tooltip of a calendar cell, and the retry list in the errors-list form.
#pragma once

#include "check/DayCoverage.h"

#include <QString>

#include <QStringList>

#include <string>

namespace pellmark {

// "complete", "missing", "empty", "unreadable", "short", "holed".
QString StateName(DayState state);

// "HH:MM"
QString TimeText(int minute);

// "12,345": every count the check writes, in the text and in the page alike.
QString CountText(long long count);

// "AUDUSD 17-Nov-26 short 40 of 96 quotes, hole 10:00-12:00"; for a faulty day only.
QString FaultLine(const SymbolCoverage& symbol, const DayCoverage& day);

// One line per faulty day of the symbol, a run of missing days in one ("AUDUSD
// 3-Jan-05..14-Jan-05 missing, 10 days"), then its notes: how its unreadable lines could be
// read, and each day file named for a week-end day, which is not judged.
QStringList FaultLines(const SymbolCoverage& symbol);

// "AUDUSD 17-Nov-26: short, 40 of 96 quotes"; for any day.
QString DayTitle(const SymbolCoverage& symbol, const DayCoverage& day);

// "AUDUSD: 259 of 261 days complete, 74,592 quotes, 1 hole; usual day 288 quotes from
// 00:00 to 23:55, every 5 min" (or "at irregular times" for ticks)
QString SummaryLine(const SymbolCoverage& symbol);

// False when a day is not complete, or when the symbol has no day to check at all.
bool AllComplete(const SymbolCoverage& symbol);

// Every day of the symbol a fetch may mend (FetchMayMend) as SYMBOL-d-mmm-yy followed by CR
// LF, as pellmark-batch --retry reads them; empty when there is none.
std::string RetryItems(const SymbolCoverage& symbol);

} // namespace pellmark
