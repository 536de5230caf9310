#include "check/DayCoverage.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <map>
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

int Minutes(std::string_view time) {
    return ((time[0] - '0') * 10 + (time[1] - '0')) * 60 + (time[3] - '0') * 10 + (time[4] - '0');
}

// The value of a checked price (digits, optionally a point and more digits), near enough for
// a chart and much faster than a correctly rounded reading; digits beyond the 18th only
// scale it.
double PriceValue(std::string_view price) {
    std::uint64_t digits = 0;
    int kept = 0;
    int scale = 0; // digits kept after the point, less those dropped before it
    bool afterPoint = false;
    for (const char c : price) {
        if (c == '.') {
            afterPoint = true;
        } else if (kept < 18) {
            digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
            kept += digits > 0;
            scale += afterPoint;
        } else {
            scale -= !afterPoint;
        }
    }
    constexpr std::array<double, 19> kTenths = {1,     1e-1,  1e-2,  1e-3,  1e-4,  1e-5,  1e-6,
                                                1e-7,  1e-8,  1e-9,  1e-10, 1e-11, 1e-12, 1e-13,
                                                1e-14, 1e-15, 1e-16, 1e-17, 1e-18};
    return static_cast<double>(digits) * (scale >= 0 && scale < 19
                                              ? kTenths[static_cast<std::size_t>(scale)]
                                              : std::pow(10.0, -scale));
}

// The upper median, so that the result is always one of the values.
int Median(std::vector<int> values) {
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

// The day's spacing and its long gaps, from its prices in time order.
void LearnRhythm(DayCoverage& day) {
    std::array<int, kMinutesPerDay> counts{};
    for (std::size_t i = 1; i < day.prices.size(); ++i)
        ++counts[static_cast<std::size_t>(day.prices[i].minute - day.prices[i - 1].minute)];
    day.repeatedTimes = counts[0] > 0;
    // The most common gap between two quote times; the smaller of equals.
    const auto most = std::max_element(counts.begin() + 1, counts.end());
    if (*most == 0)
        return;
    day.spacing = static_cast<int>(most - counts.begin());
    for (std::size_t i = 1; i < day.prices.size(); ++i) {
        if (day.prices[i].minute - day.prices[i - 1].minute > 3 * day.spacing)
            day.longGaps.push_back({day.prices[i - 1].minute, day.prices[i].minute});
    }
}

// The usual day of one rhythm of a symbol, in slots of one spacing.
class UsualDay {
public:
    UsualDay(std::vector<const DayCoverage*> days, int slot, Span session)
        : days_(std::move(days)), slot_(slot), first_(session.from / slot),
          last_(session.to / slot), slots_(kMinutesPerDay / slot + 1) {
        std::vector<int> counts, havingSlot(slots_);
        for (const DayCoverage* day : days_) {
            counts.push_back(day->quotes);
            int counted = -1;
            for (int minute = 0; minute < kMinutesPerDay; ++minute) {
                if (day->times[minute] && minute / slot != counted)
                    ++havingSlot[counted = minute / slot];
            }
        }
        quotes_ = Median(counts);
        for (int& count : counts)
            count = std::abs(count - quotes_);
        deviation_ = Median(counts);
        busyBefore_.assign(slots_ + 1, 0);
        for (int slotIndex = 0; slotIndex < slots_; ++slotIndex)
            busyBefore_[slotIndex + 1] = busyBefore_[slotIndex] + (havingSlot[slotIndex] * 2 >=
                                                                   static_cast<int>(days_.size()));
    }

    int Quotes() const { return quotes_; }

    bool Short(const DayCoverage& day) const {
        const int firstSlot = day.prices.front().minute / slot_;
        const int lastSlot = day.prices.back().minute / slot_;
        const int lost = busyBefore_[firstSlot] + busyBefore_[slots_] - busyBefore_[lastSlot + 1];
        return lost * 10 > busyBefore_[slots_] ||
               (day.quotes * 10LL < quotes_ * 9LL && quotes_ - day.quotes > kFarBelow * deviation_);
    }

    // Whether its usual days would show the empty slots of the session between from and to
    // (minutes with a quote) so seldom that it is a hole.
    bool Unlikely(Span gap) {
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

private:
    // The median day's share of empty slots among those around slot in the session.
    double EmptyShare(int slot) {
        const int from = std::max(first_, slot - kAround);
        const int to = std::min(last_, slot + kAround);
        if (filledBefore_.empty()) {
            for (const DayCoverage* day : days_) {
                std::vector<std::uint16_t>& filled = filledBefore_.emplace_back(slots_ + 1, 0);
                for (int minute = 0; minute < kMinutesPerDay; ++minute)
                    filled[minute / slot_ + 1] |= day->times[minute];
                for (int index = 0; index < slots_; ++index)
                    filled[index + 1] += filled[index];
            }
        }
        std::vector<int> empty;
        for (const std::vector<std::uint16_t>& filled : filledBefore_)
            empty.push_back(to - from + 1 - (filled[to + 1] - filled[from]));
        return double(Median(empty)) / (to - from + 1);
    }

    std::vector<const DayCoverage*> days_;
    int slot_;
    int first_;
    int last_;
    int slots_;
    int quotes_ = 0;
    int deviation_ = 0;
    std::vector<int> busyBefore_; // slots that at least half the days have, before each slot
    std::vector<std::vector<std::uint16_t>> filledBefore_; // per day, filled slots before each
};

DayState State(const DayCoverage& day, bool isShort) {
    if (!day.hasFile)
        return DayState::Missing;
    if (!day.readError.isEmpty() || day.unreadableLines > 0)
        return DayState::Unreadable;
    if (day.quotes == 0)
        return DayState::Empty;
    if (isShort)
        return DayState::Short;
    return day.holes.empty() ? DayState::Complete : DayState::Holed;
}

} // namespace

void ReadDayText(std::string_view text, LineOrder order, std::string_view separator,
                 DayCoverage& day, std::vector<std::optional<LineLayout>>* layoutGuesses) {
    day.prices.reserve(day.prices.size() +
                       static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
    ForEachDayFileLine(text, [&](std::string_view line, int) {
        ++day.lines;
        if (const std::optional<Quote> quote = SplitQuoteLine(line, order, separator)) {
            const int minute = Minutes(quote->time);
            day.prices.push_back({minute, PriceValue(quote->price)});
            day.times.set(static_cast<std::size_t>(minute));
        } else {
            ++day.unreadableLines;
            if (layoutGuesses && layoutGuesses->size() < kLinesBeforeLayoutHint)
                layoutGuesses->push_back(GuessLayout(line));
        }
    });
    day.quotes = static_cast<int>(day.times.count());
    const auto earlier = [](const PricePoint& a, const PricePoint& b) {
        return a.minute < b.minute;
    };
    // A run saves in time order; stable_sort would move every quote even then.
    if (!std::is_sorted(day.prices.begin(), day.prices.end(), earlier))
        std::stable_sort(day.prices.begin(), day.prices.end(), earlier);
    LearnRhythm(day);
}

void AssessSymbol(SymbolCoverage& symbol) {
    std::vector<int> counts, firsts, lasts, spacings;
    std::map<int, std::vector<const DayCoverage*>> bySpacing;
    std::vector<const DayCoverage*> withQuotes;
    int ticked = 0;
    for (const DayCoverage& day : symbol.days) {
        if (day.prices.empty())
            continue;
        withQuotes.push_back(&day);
        counts.push_back(day.quotes);
        firsts.push_back(day.prices.front().minute);
        lasts.push_back(day.prices.back().minute);
        ticked += day.repeatedTimes;
        if (day.spacing > 0) {
            spacings.push_back(day.spacing);
            bySpacing[day.spacing].push_back(&day);
        }
    }
    if (withQuotes.empty()) {
        for (DayCoverage& day : symbol.days)
            day.state = State(day, false);
        return;
    }
    symbol.usualQuotes = Median(counts);
    symbol.usualSpan = {Median(firsts), Median(lasts)};
    symbol.irregular = ticked * 2 > static_cast<int>(withQuotes.size());
    if (!spacings.empty())
        symbol.usualSpacing = Median(spacings);
    // By the spacing of their days, or 0 for all the symbol's days, and the slot.
    std::map<std::pair<int, int>, UsualDay> usualDays;
    for (DayCoverage& day : symbol.days) {
        if (day.prices.empty()) {
            day.usualQuotes = symbol.usualQuotes;
            day.state = State(day, false);
            continue;
        }
        const auto alike = bySpacing.find(day.spacing);
        const bool ownRhythm = alike != bySpacing.end() && alike->second.size() >= kDaysForRhythm;
        const int slot = std::max(1, day.spacing > 0 ? day.spacing : symbol.usualSpacing);
        const std::pair<int, int> key{ownRhythm ? day.spacing : 0, slot};
        auto usual = usualDays.find(key);
        if (usual == usualDays.end())
            usual = usualDays
                        .try_emplace(key, ownRhythm ? alike->second : withQuotes, slot,
                                     symbol.usualSpan)
                        .first;
        day.usualQuotes = usual->second.Quotes();
        for (const Span& gap : day.longGaps) {
            const int inside =
                std::min(gap.to, symbol.usualSpan.to) - std::max(gap.from, symbol.usualSpan.from);
            if (inside > 3 * day.spacing && usual->second.Unlikely(gap))
                day.holes.push_back(gap);
        }
        day.state = State(day, usual->second.Short(day));
    }
}

} // namespace pellmark
