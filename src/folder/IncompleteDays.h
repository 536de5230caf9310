// The days of a save folder a heal fetches again: those the completeness check finds missing,
// empty, unreadable or short, and the folder's market record does not say the service has as
// they are. The one place pellmark-batch asks the check.
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

struct IncompleteDay {
    DayItem item;
    std::string state; // "missing", "empty", "unreadable" or "short"
    int quotes = 0;
};

struct DayRange {
    std::vector<std::string> symbols;
    QDate from; // invalid: each symbol's first day file
    QDate to;
    LineOrder order = LineOrder::PriceFirst;
    std::string separator;
    std::map<std::string, QDate> firstDays; // a symbol's days before its own are left out
};

class MarketRecord;

// In symbol order, each symbol's days oldest first; a failure when the folder cannot be read.
Result<std::vector<IncompleteDay>> IncompleteDays(const QString& folder, const DayRange& range,
                                                  const MarketRecord& record,
                                                  const ServiceClock& clock);

} // namespace pellmark
