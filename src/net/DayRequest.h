// One symbol-day as a run asks the quote service for it: the day, the form it is asked in and
// how many times a page without data is fetched at most. The run's rules decide both, so that
// every fetcher, the fakes of the tests too, sees what was decided.
#pragma once

#include "core/Category.h"

#include <string>

namespace pellmark {

inline constexpr int kMostFetchesPerDay = 7;

struct DayRequest {
    std::string symbol;
    std::string dateLabel;
    Category category = Category::Forex; // Forex asks for frxSYMBOL, the others for SYMBOL
    int mostFetches = kMostFetchesPerDay;
};

} // namespace pellmark
