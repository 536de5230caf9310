// What pellmark-batch --update fetches to bring a save folder up to date: for each symbol with
// day files there, the week-days after its newest saved day up to the last day (older days
// that are not whole are a heal's to find); for each symbol named that has none yet, the
// week-days of the whole range. Each symbol's newest day file must read in the layout given,
// so that new days never mix with old ones in another layout.
#pragma once

#include "core/DayItem.h"
#include "core/Result.h"
#include "page/IntradayParser.h"

#include <QDate>
#include <QString>

#include <string>
#include <vector>

namespace pellmark {

struct UpdatePlan {
    std::vector<std::string> symbols; // with files, by name, then the new ones as named
    std::vector<DayItem> items;       // each symbol's days newest first, in that order
};

// newSymbols may name symbols that have files too; from is where those without start. A
// failure says why nothing may be fetched: the day files are in another layout.
Result<UpdatePlan> PlanUpdate(const QString& folder, const std::vector<std::string>& newSymbols,
                              QDate from, QDate to, LineOrder order, const std::string& separator);

} // namespace pellmark
