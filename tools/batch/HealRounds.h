// pellmark-batch --heal: after the download, the days the check finds incomplete are fetched
// again, round after round up to a bound, and what stays incomplete is told once. A day that
// gave "no data" every time it was asked is taken for a day the service has nothing for (a
// holiday) and remembered in the folder (NoDataDays.h), so that later runs do not ask again.
#pragma once

#include "IncompleteDays.h"
#include "run/DayResult.h"

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace pellmark {

struct HealEnd {
    std::vector<IncompleteDay> stillIncomplete; // to be listed as failed
    std::vector<DayItem> noDataFromService;     // new this run, now remembered
    std::optional<std::string> problem;         // the check or the remembered days' file
};

class HealRounds {
public:
    HealRounds(QString folder, DayRange range, int rounds, bool askAgain);

    // Days remembered as without data, which neither the download nor a round asks for.
    bool Remembered(const DayItem& item) const;
    void Note(const DayResult& result);
    // The days the next round fetches; none once the folder is whole or the rounds are spent.
    std::vector<DayItem> NextRound();
    // The days a round would fetch now, for a plan; no round is counted.
    std::vector<DayItem> IncompleteNow();
    int RoundsDone() const { return roundsDone_; }
    // Checks once more, remembers the new days without data and says what stays incomplete.
    HealEnd Finish();

private:
    std::vector<IncompleteDay> Check();

    QString folder_;
    DayRange range_;
    int rounds_;
    int roundsDone_ = 0;
    std::vector<DayItem> rememberedList_;
    std::set<std::string> remembered_;                 // empty with askAgain
    std::map<std::string, bool> onlyNoData_;           // per day asked: "no data" every time
    std::optional<std::vector<IncompleteDay>> latest_; // the check since the last day fetched
    std::optional<std::string> problem_;
};

} // namespace pellmark
