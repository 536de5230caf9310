// What became of one symbol-day in a run: saved, skipped, no data, or failed with a reason.
// The one place that turns what the fetch reports into the day's outcome.
#pragma once

#include "core/DayItem.h"
#include "net/FetchResult.h"

#include <string>

namespace pellmark {

enum class DayOutcome { Saved, Skipped, NoData, Failed };

struct DayResult {
    DayItem item;
    DayOutcome outcome = DayOutcome::Failed;
    FetchResult fetch;
};

// A day with data is saved; a day without is a failure when no usable page came, else the
// service had none.
DayOutcome JudgeFetchedDay(const FetchResult& fetch);

// "saved 288 quotes", "skipped", "no data after 7 fetches", "failed: connection refused"
std::string DescribeDay(const DayResult& result);

// A day without data is listed as well as a failed one: either may come another time.
inline bool GoesToErrorsList(DayOutcome outcome) {
    return outcome == DayOutcome::NoData || outcome == DayOutcome::Failed;
}

} // namespace pellmark
