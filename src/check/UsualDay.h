// The usual day of one rhythm of a symbol: when its days have quotes, in slots of one spacing,
// and how many quote times they have; what a day is judged against (see AssessSymbol).
#pragma once

#include "check/Coverage.h"

#include <cstdint>
#include <vector>

namespace pellmark {

// The upper median, so that the result is always one of the values; values is not empty.
int Median(std::vector<int> values);

class UsualDay {
public:
    // days: those with quotes. Its session runs from their median first to their median last
    // quote time, so that a stock's closed hours are no hole.
    UsualDay(std::vector<const DayCoverage*> days, int slot);

    // The median number of quote times of its days.
    int Quotes() const { return quotes_; }

    // Data lost: day starts late or ends early against its days, or has far fewer times.
    bool Short(const DayCoverage& day) const;

    // A hole: a gap between quotes longer than three slots, inside the session by more than
    // that, whose slots in the session its days lack so seldom that fewer than one day in a
    // thousand would show such a run anywhere in the session, taking each slot's chance to be
    // empty as the median day's share of empty slots among the 31 around it in the session.
    bool Hole(Span gap);

private:
    // The median day's share of empty slots among those around slot in the session, worked
    // out once a slot: ticks have many long gaps, over the same slots day after day.
    double EmptyShare(int slot);
    double MedianEmptyShare(int slot);

    std::vector<const DayCoverage*> days_;
    int slot_;
    Span session_;
    int first_ = 0; // the session's first and last slot
    int last_ = 0;
    int slots_; // in a day
    int quotes_ = 0;
    int deviation_ = 0; // the median distance of the days' quote times from quotes_
    // Before each slot, the slots with a quote of all its days together.
    std::vector<long long> heldBefore_;
    std::vector<std::vector<std::uint16_t>> filledBefore_; // per day, filled slots before each
    std::vector<double> emptyShares_;                      // by slot, below 0 until asked
};

} // namespace pellmark
