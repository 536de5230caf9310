// The days the folder's market record says the service has no data for, or only in part:
// neither missing nor short by this folder's fault, so they are their own class, out of the
// retry list and the exit status.
#pragma once

#include "check/DayCoverage.h"
#include "core/MarketRecord.h"

namespace pellmark {

// Marks AtService each day of the symbol the record speaks for: one without quotes that the
// service has no data for (or before the symbol's first day there), and one with at least as
// many quotes as the service has of it.
void MarkServiceDays(SymbolCoverage& symbol, const MarketRecord& record);

} // namespace pellmark
