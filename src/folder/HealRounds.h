// pellmark-batch --heal: after the download, the days the check finds incomplete are fetched
// again, round after round up to a bound, and what stays incomplete is told once. A day that
// gave "no data" is not asked again in the same run; when no symbol of its form had data that
// day it is taken for a holiday, to be recorded in the folder (MarketRules.h), so that later
// runs do not ask again. A short day that comes back with as many quotes is short at the
// service: to be recorded with its count, and neither fetched again nor listed.
#pragma once

#include "folder/IncompleteDays.h"
#include "folder/MarketRules.h"
#include "run/DayResult.h"

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace pellmark {

struct HealEnd {
    std::vector<IncompleteDay> stillIncomplete; // to be listed as failed
    std::vector<DayItem> noDataFromService;     // new this run, to be remembered
    std::vector<IncompleteDay> shortAtService;  // new this run, to be recorded
    // Listed as failed: no data on a day other symbols have, with how many.
    std::vector<std::pair<DayItem, int>> noDataThoughOthers;
    std::optional<std::string> problem; // the check or the remembered days' file
};

class HealRounds {
public:
    // The check sees the folder by clock and by the rules' record as it is then.
    HealRounds(QString folder, DayRange range, int rounds, const MarketRules& rules,
               const ServiceClock& clock);

    void Note(const DayResult& result);
    // The days the next round fetches; none once the folder is whole or the rounds are spent.
    std::vector<DayItem> NextRound();
    // The days a round would fetch now, for a plan; no round is counted.
    std::vector<DayItem> IncompleteNow();
    int RoundsDone() const { return roundsDone_; }
    // Checks once more and says what stays incomplete, and what the service has as it is.
    HealEnd Finish();

private:
    std::vector<IncompleteDay> Check();
    bool ShortAtService(const IncompleteDay& day) const;
    // Neither left out by the market rules nor known by now to come back as it is.
    bool Askable(const IncompleteDay& day) const;
    // The other symbols of the range with a day file for the day: all, or of its form only.
    int OthersWithFile(const DayItem& item, bool ofItsForm) const;

    QString folder_;
    DayRange range_;
    int rounds_;
    int roundsDone_ = 0;
    const MarketRules& rules_;
    const ServiceClock& clock_;
    std::map<std::string, int> shortAsked_;            // short days fetched again: their quotes
    std::map<std::string, bool> onlyNoData_;           // per day asked: "no data" every time
    std::optional<std::vector<IncompleteDay>> latest_; // the check since the last day fetched
    std::optional<std::string> problem_;
};

} // namespace pellmark
