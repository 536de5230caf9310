#include "check/DayCoverage.h"

#include "check/UsualDay.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <map>
#include <utility>

namespace pellmark {
namespace {

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

// What the summary tells of the symbol's days with quotes: their median number of quote
// times, first and last time and spacing, and whether most of them are ticks.
void LearnSummary(SymbolCoverage& symbol) {
    std::vector<int> counts, firsts, lasts, spacings;
    int ticked = 0;
    for (const DayCoverage& day : symbol.days) {
        if (day.prices.empty())
            continue;
        counts.push_back(day.quotes);
        firsts.push_back(day.prices.front().minute);
        lasts.push_back(day.prices.back().minute);
        ticked += day.repeatedTimes;
        if (day.spacing > 0)
            spacings.push_back(day.spacing);
    }
    if (counts.empty())
        return;
    symbol.usualQuotes = Median(counts);
    symbol.usualSpan = {Median(firsts), Median(lasts)};
    symbol.irregular = ticked * 2 > static_cast<int>(counts.size());
    if (!spacings.empty())
        symbol.usualSpacing = Median(spacings);
}

// The usual day each day of a symbol with quotes is judged against: its days of the day's
// spacing when at least kDaysForRhythm share it, else all its days with quotes, in slots of
// the day's spacing; each learnt once, when a day first asks for it.
class UsualDays {
public:
    explicit UsualDays(const SymbolCoverage& symbol) : usualSpacing_(symbol.usualSpacing) {
        for (const DayCoverage& day : symbol.days) {
            if (day.prices.empty())
                continue;
            withQuotes_.push_back(&day);
            if (day.spacing > 0)
                bySpacing_[day.spacing].push_back(&day);
        }
    }

    UsualDay& For(const DayCoverage& day) {
        const auto alike = bySpacing_.find(day.spacing);
        const bool ownRhythm = alike != bySpacing_.end() && alike->second.size() >= kDaysForRhythm;
        const int slot = std::max(1, day.spacing > 0 ? day.spacing : usualSpacing_);
        const std::pair<int, int> key{ownRhythm ? day.spacing : 0, slot};
        auto usual = usualDays_.find(key);
        if (usual == usualDays_.end())
            usual =
                usualDays_.try_emplace(key, ownRhythm ? alike->second : withQuotes_, slot).first;
        return usual->second;
    }

private:
    int usualSpacing_;
    std::vector<const DayCoverage*> withQuotes_;
    std::map<int, std::vector<const DayCoverage*>> bySpacing_;
    // By the spacing of their days (0: all the symbol's days) and the slot.
    std::map<std::pair<int, int>, UsualDay> usualDays_;
};

} // namespace

bool FetchMayMend(DayState state) {
    switch (state) {
    case DayState::Missing:
    case DayState::Empty:
    case DayState::Unreadable:
    case DayState::Short:
        return true;
    case DayState::Complete:
    case DayState::Holed:
    case DayState::Running:   // the next update fetches it again
    case DayState::AtService: // the market record says the service has no more of it
        return false;
    }
    return false;
}

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
    LearnSummary(symbol);
    UsualDays usualDays(symbol);
    for (DayCoverage& day : symbol.days) {
        day.usualQuotes = symbol.usualQuotes;
        bool isShort = false;
        if (!day.prices.empty()) {
            UsualDay& usual = usualDays.For(day);
            day.usualQuotes = usual.Quotes();
            for (const Span& gap : day.longGaps) {
                if (usual.Hole(gap))
                    day.holes.push_back(gap);
            }
            isShort = usual.Short(day);
        }
        day.state = State(day, isShort);
    }
}

} // namespace pellmark
