// What a run would ask, said before it asks anything: per symbol the days as ranges, the
// requests that takes at least (each day once) and at most (every fetch of a day, and every
// heal round again), and how long at the service's pace. --dry-run prints it whole; a long
// run on a terminal prints its last line first.
#pragma once

#include "core/DayItem.h"

#include <string>
#include <vector>

namespace pellmark {

struct RunPlan {
    std::vector<DayItem> days;     // as the run asks them
    std::vector<DayItem> healDays; // incomplete now and not among days; a heal round asks them
    int healRounds = -1;           // -1: no heal
};

// "AUDUSD: 1-Dec-26..4-Dec-26 (4 days), 8-Dec-26", a line per symbol in the order asked.
std::vector<std::string> PlanDayLines(const std::vector<DayItem>& days);

// "4 days to ask: 4 to 28 requests, 7 s to 43 s at one request every 1.51 s"
std::string PlanSummary(const RunPlan& plan);

} // namespace pellmark
