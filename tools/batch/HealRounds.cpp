#include "HealRounds.h"

#include "core/DayFile.h"
#include "core/ErrorsList.h"
#include "core/NoDataDays.h"

#include <QFileInfo>

#include <algorithm>

namespace pellmark {

HealRounds::HealRounds(QString folder, DayRange range, int rounds, bool askAgain)
    : folder_(std::move(folder)), range_(std::move(range)), rounds_(rounds) {
    // Unreadable, it is told and taken as empty: those days are only asked for again.
    if (Result<std::vector<DayItem>> read = ReadNoDataDays(folder_); read)
        rememberedList_ = std::move(*read);
    else
        problem_ = "cannot read " + std::string(kNoDataDaysFileName) + ": " + read.reason();
    if (!askAgain)
        for (const DayItem& item : rememberedList_)
            remembered_.insert(FailedItemText(item));
}

bool HealRounds::Remembered(const DayItem& item) const {
    return remembered_.contains(FailedItemText(item));
}

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
        Result<std::vector<IncompleteDay>> incomplete = IncompleteDays(folder_, range_);
        if (incomplete)
            latest_ = std::move(*incomplete);
        else {
            latest_.emplace();
            problem_ = "cannot check " + folder_.toStdString() + ": " + incomplete.reason();
        }
    }
    return *latest_;
}

std::vector<DayItem> HealRounds::IncompleteNow() {
    std::vector<DayItem> days;
    for (IncompleteDay& day : Check())
        if (!Remembered(day.item))
            days.push_back(std::move(day.item));
    return days;
}

std::vector<DayItem> HealRounds::NextRound() {
    if (roundsDone_ >= rounds_)
        return {};
    std::vector<DayItem> days = IncompleteNow();
    if (!days.empty())
        ++roundsDone_;
    return days;
}

HealEnd HealRounds::Finish() {
    HealEnd end;
    std::vector<DayItem> kept;
    std::set<std::string> keptText;
    const auto keep = [&](const DayItem& item) {
        if (keptText.insert(FailedItemText(item)).second)
            kept.push_back(item);
    };
    // A remembered day that has a file by now (fetched by hand, say) is forgotten.
    for (const DayItem& item : rememberedList_) {
        const QFileInfo file(QString::fromStdString(
            DayFilePath(folder_.toStdString(), item.symbol, item.dateLabel)));
        if (!file.isFile() || file.size() == 0)
            keep(item);
    }
    for (IncompleteDay& day : Check()) {
        const auto asked = onlyNoData_.find(FailedItemText(day.item));
        if (asked != onlyNoData_.end() && asked->second) {
            keep(day.item);
            end.noDataFromService.push_back(day.item);
        } else if (!Remembered(day.item)) {
            end.stillIncomplete.push_back(std::move(day));
        }
    }
    const bool changed = !std::equal(
        kept.begin(), kept.end(), rememberedList_.begin(), rememberedList_.end(),
        [](const DayItem& a, const DayItem& b) { return FailedItemText(a) == FailedItemText(b); });
    if (changed)
        if (const Done written = WriteNoDataDays(folder_, kept); !written)
            problem_ = (problem_ ? *problem_ + "; " : std::string()) + "cannot write " +
                       kNoDataDaysFileName + ": " + written.reason();
    end.problem = problem_;
    return end;
}

} // namespace pellmark
