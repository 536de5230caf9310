#include "check/UsualDay.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace pellmark {
namespace {

// A run of empty slots is a hole when fewer than one day in this many would show it.
constexpr double kUnlikely = 1000;
// The slots either side of a slot whose emptiness on the usual days tells its chance to be
// empty: half an hour of a minutely day, enough days for a steady share at any hour.
constexpr int kAround = 15;
// A day whose quote times fall below its usual days' by more than this many times their
// median distance from them is far below them, not merely quiet.
constexpr int kFarBelow = 8;

} // namespace

int Median(std::vector<int> values) {
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

UsualDay::UsualDay(std::vector<const DayCoverage*> days, int slot)
    : days_(std::move(days)), slot_(slot), slots_(kMinutesPerDay / slot + 1) {
    std::vector<int> counts, firsts, lasts, havingSlot(static_cast<std::size_t>(slots_));
    for (const DayCoverage* day : days_) {
        counts.push_back(day->quotes);
        firsts.push_back(day->prices.front().minute);
        lasts.push_back(day->prices.back().minute);
        int counted = -1;
        for (int minute = 0; minute < kMinutesPerDay; ++minute) {
            if (day->times[static_cast<std::size_t>(minute)] && minute / slot != counted)
                ++havingSlot[static_cast<std::size_t>(counted = minute / slot)];
        }
    }
    session_ = {Median(firsts), Median(lasts)};
    first_ = session_.from / slot;
    last_ = session_.to / slot;
    quotes_ = Median(counts);
    for (int& count : counts)
        count = std::abs(count - quotes_);
    deviation_ = Median(counts);
    emptyShares_.assign(static_cast<std::size_t>(slots_), -1);
    heldBefore_.assign(static_cast<std::size_t>(slots_) + 1, 0);
    for (std::size_t index = 0; index < havingSlot.size(); ++index)
        heldBefore_[index + 1] = heldBefore_[index] + havingSlot[index];
}

bool UsualDay::Short(const DayCoverage& day) const {
    const auto first = static_cast<std::size_t>(day.prices.front().minute / slot_);
    const auto last = static_cast<std::size_t>(day.prices.back().minute / slot_);
    const long long held = heldBefore_.back();
    const long long lost = heldBefore_[first] + held - heldBefore_[last + 1];
    return lost * 10 > held ||
           (day.quotes * 10LL < quotes_ * 9LL && quotes_ - day.quotes > kFarBelow * deviation_);
}

bool UsualDay::Hole(Span gap) {
    if (std::min(gap.to, session_.to) - std::max(gap.from, session_.from) <= 3 * slot_)
        return false;
    // The chance of the run anywhere in the session, in logarithms: each slot's chance to be
    // empty, times the places the run could be.
    double chance = std::log(double(last_ - first_ + 1));
    const int end = std::min(gap.to / slot_, last_ + 1);
    for (int slot = std::max(gap.from / slot_ + 1, first_); slot < end; ++slot) {
        const double empty = EmptyShare(slot);
        if (empty == 0)
            return true;
        chance += std::log(empty);
        if (chance < -std::log(kUnlikely))
            return true;
    }
    return false;
}

double UsualDay::EmptyShare(int slot) {
    double& share = emptyShares_[static_cast<std::size_t>(slot)];
    if (share < 0)
        share = MedianEmptyShare(slot);
    return share;
}

double UsualDay::MedianEmptyShare(int slot) {
    // Built at the first gap that asks: most rhythms have no long gap at all.
    if (filledBefore_.empty()) {
        for (const DayCoverage* day : days_) {
            std::vector<std::uint16_t>& filled =
                filledBefore_.emplace_back(static_cast<std::size_t>(slots_) + 1, 0);
            for (int minute = 0; minute < kMinutesPerDay; ++minute)
                filled[static_cast<std::size_t>(minute / slot_) + 1] |=
                    day->times[static_cast<std::size_t>(minute)];
            for (std::size_t index = 1; index < filled.size(); ++index)
                filled[index] += filled[index - 1];
        }
    }
    const auto from = static_cast<std::size_t>(std::max(first_, slot - kAround));
    const auto to = static_cast<std::size_t>(std::min(last_, slot + kAround));
    std::vector<int> empty;
    for (const std::vector<std::uint16_t>& filled : filledBefore_)
        empty.push_back(static_cast<int>(to - from + 1) - (filled[to + 1] - filled[from]));
    return double(Median(empty)) / static_cast<double>(to - from + 1);
}

} // namespace pellmark
