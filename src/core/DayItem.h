// One symbol-day: what a run fetches and what the errors list holds as "symbol-date label".
#pragma once

#include <string>

namespace pellmark {

struct DayItem {
    std::string symbol;
    std::string dateLabel;

    bool operator==(const DayItem&) const = default;
};

} // namespace pellmark
