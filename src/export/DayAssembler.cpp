#include "export/DayAssembler.h"

#include "export/OhlcBars.h"

namespace pellmark {

DayAssembler::DayAssembler(ExportTarget& target, std::vector<int> barLengths, bool withRunningDay)
    : target_(target), barLengths_(std::move(barLengths)), withRunningDay_(withRunningDay),
      bars_(barLengths_.size()) {}

void DayAssembler::Add(QDate day, const ExportQuote& quote) {
    if (!quotes_.empty() && day != day_)
        Flush();
    day_ = day;
    quotes_.push_back(quote);
}

void DayAssembler::Flush() {
    if (quotes_.empty())
        return;
    for (std::size_t i = 0; i < barLengths_.size(); ++i)
        bars_[i] = BuildBars(quotes_, barLengths_[i], withRunningDay_);
    target_.AddDay({day_, quotes_, bars_});
    quotes_.clear();
}

} // namespace pellmark
