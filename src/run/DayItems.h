// The symbol-days of a run in the order they are fetched: every date of one symbol, then of
// the next; or a list as given. A long run keeps its symbols and dates, not every pair.
#pragma once

#include "core/DayItem.h"

#include <QDate>

#include <cstddef>
#include <string>
#include <vector>

namespace pellmark {

class DayItems {
public:
    DayItems() = default;
    static DayItems EveryDateOfEachSymbol(std::vector<std::string> symbols,
                                          std::vector<std::string> dates);
    static DayItems AsListed(std::vector<DayItem> items);
    // Every week-day from end down to start for each symbol in turn; none when the range
    // holds only a weekend.
    static DayItems ForRange(std::vector<std::string> symbols, QDate start, QDate end);

    std::size_t Size() const;
    DayItem At(std::size_t index) const;

private:
    std::vector<std::string> symbols_;
    std::vector<std::string> dates_;
    std::vector<DayItem> listed_;
    bool isListed_ = true;
};

} // namespace pellmark
