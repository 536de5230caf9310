// What pellmark-batch --update fetches to bring a save folder up to date: for each symbol with
// day files there, the week-days after its newest saved day up to the last day, and again
// every day saved while it was running (see ServiceDay.h) and a newest file that is empty
// (older days that are not whole are a heal's to find); for each symbol named that has none
// yet, the week-days of the whole range. Odd files are told, never followed: files dated after
// today are left out, and a symbol whose newest file cannot be read or is in another layout
// is left out whole, so that new days never mix with old ones in another layout.
#pragma once

#include "core/DayItem.h"
#include "core/Result.h"
#include "core/ServiceDay.h"
#include "page/IntradayParser.h"

#include <QDate>
#include <QString>

#include <map>
#include <string>
#include <vector>

namespace pellmark {

// A heal looks no further back than a gap of this many week-days between two files of a
// symbol: a stray old file would otherwise have it fetch decades.
inline constexpr int kLongestHealedGap = 60;

struct UpdateRequest {
    QString folder;
    std::vector<std::string> newSymbols; // may name symbols that have files too
    std::vector<std::string> only;       // when given, the only symbols of the folder updated
    QDate from;                          // where new symbols start
    QDate to;
    LineOrder order = LineOrder::PriceFirst;
    std::string separator;
    bool heal = false;
    QDate healFrom; // invalid: each symbol's files after its last gap longer than the bound
};

struct UpdatePlan {
    std::vector<std::string> symbols;      // with files, by name, then the new ones as named
    std::vector<DayItem> items;            // each symbol's days newest first, in that order
    std::vector<std::string> notes;        // odd files and long gaps, told before the run
    bool symbolLeftOut = false;            // a symbol was not updated for its newest file
    std::map<std::string, QDate> healFrom; // each symbol's first day a heal looks at
};

// A failure says why nothing may be fetched: no symbol has day files, an --only symbol has
// none, or every symbol was left out (the reason of the first). Files dated after the clock's
// today are left out, and the clock tells the running days.
Result<UpdatePlan> PlanUpdate(const UpdateRequest& request, const ServiceClock& clock);

} // namespace pellmark
