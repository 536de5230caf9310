// A save folder's rules for one pellmark-batch run, the one thing its run engine asks
// (run/AskingRules.h): each day in the form its symbol is known in and with the tries the day
// is worth, the days the folder's market record or the run's answers say cannot come left
// out, and every answer learnt from, but a running day's without data. With a heal, the rounds
// after the run and what stays incomplete. The folder's record is read and written through it.
#pragma once

#include "core/ServiceDay.h"
#include "folder/HealRounds.h"
#include "folder/MarketRules.h"
#include "folder/UpdatePlan.h"
#include "run/AskingRules.h"

#include <QString>

#include <optional>
#include <string>
#include <vector>

namespace pellmark {

class FolderRules : public AskingRules {
public:
    // askAgain: the days recorded without data are asked again. The clock outlives the rules.
    FolderRules(QString folder, Category category, bool askAgain, const ServiceClock& clock);

    // Reads the folder's record; what it could not read, to be told.
    std::vector<std::string> Load();

    bool Ask(const DayItem& item) const override;
    DayRequest Request(const DayItem& item) const override;
    void Learn(const DayResult& result) override;
    // What the latest answer taught that is to be told now.
    const std::vector<std::string>& Told() const { return told_; }
    // A day of the service that has not ended gave no data: its market has not opened yet. Not
    // a failure, nor a holiday: the next run asks again, and nothing is learnt from it.
    bool RunningWithoutData(const DayResult& result) const;

    // The days an update asks, but those the record says cannot come, in the order that lets
    // each day's answers speak for the next symbol; with request.heal, the heal of its days.
    Result<UpdatePlan> PlanUpdate(const UpdateRequest& request, int healRounds);
    // The range is healed after the run, in at most rounds rounds.
    void Heal(DayRange range, int rounds);
    bool Healing() const { return heal_.has_value(); }
    // See HealRounds.h.
    std::vector<DayItem> NextRound() { return heal_->NextRound(); }
    int RoundsDone() const { return heal_->RoundsDone(); }
    std::vector<DayItem> IncompleteNow() { return heal_->IncompleteNow(); }
    // Checks once more, records what the service has as it is, and says what stays incomplete.
    HealEnd FinishHealing();
    // The days of symbols taken for misspelt: those asked without data, those not asked.
    const std::vector<DayItem>& MisspeltAsked() const { return market_.MisspeltAsked(); }
    const std::vector<DayItem>& NotAsked() const { return market_.NotAsked(); }
    // Writes the record when it changed; the reason when it could not.
    Done Save() { return market_.Save(); }

private:
    QString folder_;
    const ServiceClock& clock_;
    MarketRules market_;
    std::optional<HealRounds> heal_;
    std::vector<std::string> told_;
};

} // namespace pellmark
