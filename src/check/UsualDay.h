// The usual day of one rhythm of a symbol: when its days have quotes, in slots of one spacing,
// and how many quote times they have; what a day is judged against (see AssessSymbol).
#pragma once

#include "check/DayCoverage.h"

#include <cstdint>
#include <vector>

namespace pellmark {

// The upper median, so that the result is always one of the values; values is not empty.
int Median(std::vector<int> values);

class UsualDay {
public:
    // days: those with quotes; session: the symbol's usual first and last time of a day.
    UsualDay(std::vector<const DayCoverage*> days, int slot, Span session);

    // The median number of quote times of its days.
    int Quotes() const { return quotes_; }

    // Data lost: day starts late or ends early against its days, or has far fewer times.
    bool Short(const DayCoverage& day) const;

    // Whether its days lack quotes in the slots of the session between the quotes at gap.from
    // and gap.to so seldom that fewer than one day in a thousand would show such a run.
    bool Unlikely(Span gap);

private:
    // The median day's share of empty slots among those around slot in the session.
    double EmptyShare(int slot);

    std::vector<const DayCoverage*> days_;
    int slot_;
    int first_; // the session's first and last slot
    int last_;
    int slots_; // in a day
    int quotes_ = 0;
    int deviation_ = 0;           // the median distance of the days' quote times from quotes_
    std::vector<int> busyBefore_; // slots that at least half the days have, before each slot
    std::vector<std::vector<std::uint16_t>> filledBefore_; // per day, filled slots before each
};

} // namespace pellmark
