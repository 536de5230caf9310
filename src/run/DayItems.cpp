#include "run/DayItems.h"

#include "core/DateList.h"

namespace pellmark {

DayItems DayItems::EveryDateOfEachSymbol(std::vector<std::string> symbols,
                                         std::vector<std::string> dates) {
    DayItems items;
    items.symbols_ = std::move(symbols);
    items.dates_ = std::move(dates);
    items.isListed_ = false;
    return items;
}

DayItems DayItems::AsListed(std::vector<DayItem> items) {
    DayItems listed;
    listed.listed_ = std::move(items);
    return listed;
}

DayItems DayItems::ForRange(std::vector<std::string> symbols, QDate start, QDate end) {
    return EveryDateOfEachSymbol(std::move(symbols), WeekdayLabelsNewestFirst(start, end));
}

std::size_t DayItems::Size() const {
    return isListed_ ? listed_.size() : symbols_.size() * dates_.size();
}

DayItem DayItems::At(std::size_t index) const {
    if (isListed_)
        return listed_[index];
    return {symbols_[index / dates_.size()], dates_[index % dates_.size()]};
}

} // namespace pellmark
