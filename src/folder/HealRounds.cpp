#include "folder/HealRounds.h"

#include "core/DayFile.h"
#include "core/ErrorsList.h"

#include <QFileInfo>

namespace pellmark {

HealRounds::HealRounds(QString folder, DayRange range, int rounds, const MarketRules& rules,
                       const ServiceClock& clock)
    : folder_(std::move(folder)), range_(std::move(range)), rounds_(rounds), rules_(rules),
      clock_(clock) {}

void HealRounds::Note(const DayResult& result) {
    if (result.outcome == DayOutcome::Skipped)
        return;
    latest_.reset();
    const auto [day, isNew] =
        onlyNoData_.emplace(FailedItemText(result.item), result.outcome == DayOutcome::NoData);
    if (!isNew)
        day->second = day->second && result.outcome == DayOutcome::NoData;
}

std::vector<IncompleteDay> HealRounds::Check() {
    if (!latest_) {
        Result<std::vector<IncompleteDay>> incomplete =
            IncompleteDays(folder_, range_, rules_.Record(), clock_);
        if (incomplete)
            latest_ = std::move(*incomplete);
        else {
            latest_.emplace();
            problem_ = "cannot check " + folder_.toStdString() + ": " + incomplete.reason();
        }
    }
    return *latest_;
}

bool HealRounds::ShortAtService(const IncompleteDay& day) const {
    const auto asked = shortAsked_.find(FailedItemText(day.item));
    return day.state == "short" && asked != shortAsked_.end() && asked->second == day.quotes;
}

// Asked or not in this run, a symbol's saved day says the market was open: a day is a
// holiday of a form only when no symbol of that form has it.
int HealRounds::OthersWithFile(const DayItem& item, bool ofItsForm) const {
    int others = 0;
    for (const std::string& symbol : range_.symbols) {
        if (symbol == item.symbol ||
            (ofItsForm && rules_.FormOf(symbol) != rules_.FormOf(item.symbol)))
            continue;
        const QFileInfo file(
            QString::fromStdString(DayFilePath(folder_.toStdString(), symbol, item.dateLabel)));
        others += file.isFile() && file.size() > 0;
    }
    return others;
}

bool HealRounds::Askable(const IncompleteDay& day) const {
    return !rules_.LeaveOut(day.item) && !rules_.GaveNoData(day.item) && !ShortAtService(day);
}

std::vector<DayItem> HealRounds::IncompleteNow() {
    std::vector<DayItem> days;
    for (IncompleteDay& day : Check())
        if (Askable(day))
            days.push_back(std::move(day.item));
    return days;
}

std::vector<DayItem> HealRounds::NextRound() {
    if (roundsDone_ >= rounds_)
        return {};
    std::vector<DayItem> days;
    for (IncompleteDay& day : Check()) {
        if (!Askable(day))
            continue;
        if (day.state == "short")
            shortAsked_[FailedItemText(day.item)] = day.quotes;
        days.push_back(std::move(day.item));
    }
    if (!days.empty())
        ++roundsDone_;
    return days;
}

HealEnd HealRounds::Finish() {
    HealEnd end;
    for (IncompleteDay& day : Check()) {
        // A misspelt symbol's days are listed by the batch, all of them.
        if (rules_.LeaveOut(day.item))
            continue;
        if (ShortAtService(day)) {
            end.shortAtService.push_back(std::move(day));
            continue;
        }
        const auto asked = onlyNoData_.find(FailedItemText(day.item));
        if (asked == onlyNoData_.end() || !asked->second) {
            end.stillIncomplete.push_back(std::move(day));
        } else if (OthersWithFile(day.item, true) == 0) {
            end.noDataFromService.push_back(day.item);
        } else {
            end.noDataThoughOthers.emplace_back(day.item, OthersWithFile(day.item, false));
        }
    }
    end.problem = problem_;
    return end;
}

} // namespace pellmark
