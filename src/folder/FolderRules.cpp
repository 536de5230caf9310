#include "folder/FolderRules.h"

#include "core/DateList.h"
#include "core/DayFile.h"

namespace pellmark {

FolderRules::FolderRules(QString folder, Category category, bool askAgain,
                         const ServiceClock& clock)
    : folder_(std::move(folder)), clock_(clock), market_(folder_, category, askAgain) {}

std::vector<std::string> FolderRules::Load() {
    return market_.Load();
}

bool FolderRules::Ask(const DayItem& item) const {
    return !market_.LeaveOut(item);
}

DayRequest FolderRules::Request(const DayItem& item) const {
    return {item.symbol, item.dateLabel, market_.CategoryOf(item.symbol),
            market_.MostFetchesOf(item)};
}

bool FolderRules::RunningWithoutData(const DayResult& result) const {
    return result.outcome == DayOutcome::NoData &&
           clock_.Running(DayOfLabel(QString::fromStdString(result.item.dateLabel), 1970));
}

void FolderRules::Learn(const DayResult& result) {
    told_.clear();
    if (result.outcome == DayOutcome::Saved)
        clock_.DateSaved(QString::fromStdString(
            DayFilePath(folder_.toStdString(), result.item.symbol, result.item.dateLabel)));
    if (RunningWithoutData(result))
        return;
    told_ = market_.Note(result);
    if (heal_)
        heal_->Note(result);
}

Result<UpdatePlan> FolderRules::PlanUpdate(const UpdateRequest& request, int healRounds) {
    Result<UpdatePlan> planned = pellmark::PlanUpdate(request, clock_);
    if (!planned)
        return planned;
    UpdatePlan& plan = *planned;
    if (request.heal)
        Heal({plan.symbols, request.healFrom, request.to, request.order, request.separator,
              plan.healFrom},
             healRounds);
    std::erase_if(plan.items, [this](const DayItem& item) { return market_.LeaveOut(item); });
    plan.items = market_.InAskingOrder(std::move(plan.items));
    return planned;
}

void FolderRules::Heal(DayRange range, int rounds) {
    heal_.emplace(folder_, std::move(range), rounds, market_, clock_);
}

HealEnd FolderRules::FinishHealing() {
    market_.ForgetFilledDays();
    HealEnd end = heal_->Finish();
    market_.NoteHealed(end.noDataFromService, end.shortAtService);
    return end;
}

} // namespace pellmark
