#include "check/DayCoverage.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <map>

namespace pellmark {
namespace {

constexpr int kMinutesPerDay = 24 * 60;
// A day keeps one spacing when at least this share of its gaps, in percent, are that spacing;
// ticks, several in a minute and none in the next, do not.
constexpr int kRegularShare = 80;
// A gap in ticks is a hole when fewer than one day in this many would show it by chance.
constexpr double kUnlikely = 1000;

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

// The day's own spacing, whether it keeps to it, and the longest gap that rhythm makes
// likely; the prices are in time order.
void LearnRhythm(DayCoverage& day) {
    if (day.prices.size() < 2)
        return;
    std::array<int, kMinutesPerDay> counts{};
    int quoteMinutes = 1;
    for (std::size_t i = 1; i < day.prices.size(); ++i) {
        const int gap = day.prices[i].minute - day.prices[i - 1].minute;
        ++counts[static_cast<std::size_t>(gap)];
        quoteMinutes += gap > 0;
    }
    // The most common gap between two quote times; the smaller of equals.
    const auto most = std::max_element(counts.begin() + 1, counts.end());
    if (*most == 0)
        return;
    day.spacing = static_cast<int>(most - counts.begin());
    const auto gaps = static_cast<long long>(day.prices.size() - 1);
    day.regular = *most * 100LL >= gaps * kRegularShare;
    int longest = 3 * day.spacing;
    if (!day.regular) {
        // Were the day's quote-less minutes scattered at random, a run of k of them at one
        // place would have the chance emptyShare^k, and one anywhere in the span about
        // span * emptyShare^k.
        const int span = day.prices.back().minute - day.prices.front().minute + 1;
        const double emptyShare = 1 - double(quoteMinutes) / span;
        if (emptyShare > 0) {
            const double run = std::log(kUnlikely * span) / -std::log(emptyShare);
            longest =
                std::max(longest, 1 + static_cast<int>(std::min<double>(run, kMinutesPerDay)));
        }
    }
    day.longestUsualGap = longest;
    for (std::size_t i = 1; i < day.prices.size(); ++i) {
        if (day.prices[i].minute - day.prices[i - 1].minute > longest)
            day.longGaps.push_back({day.prices[i - 1].minute, day.prices[i].minute});
    }
}

std::vector<Span> Holes(const DayCoverage& day, const SymbolCoverage& symbol) {
    std::vector<Span> holes;
    for (const Span& gap : day.longGaps) {
        const int inside =
            std::min(gap.to, symbol.usualSpan.to) - std::max(gap.from, symbol.usualSpan.from);
        if (inside > day.longestUsualGap)
            holes.push_back(gap);
    }
    return holes;
}

DayState State(const DayCoverage& day) {
    if (!day.hasFile)
        return DayState::Missing;
    if (!day.readError.isEmpty() || day.unreadableLines > 0)
        return DayState::Unreadable;
    if (day.quotes == 0)
        return DayState::Empty;
    if (day.quotes * 10LL < day.usualQuotes * 9LL)
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
            day.prices.push_back({Minutes(quote->time), PriceValue(quote->price)});
        } else {
            ++day.unreadableLines;
            if (layoutGuesses && layoutGuesses->size() < kLinesBeforeLayoutHint)
                layoutGuesses->push_back(GuessLayout(line));
        }
    });
    day.quotes = static_cast<int>(day.prices.size());
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
    std::map<int, std::vector<int>> countsByRhythm; // by the spacing, -1 for ticks
    int irregularDays = 0;
    for (const DayCoverage& day : symbol.days) {
        if (day.prices.empty())
            continue;
        counts.push_back(day.quotes);
        firsts.push_back(day.prices.front().minute);
        lasts.push_back(day.prices.back().minute);
        if (day.spacing > 0) {
            spacings.push_back(day.spacing);
            irregularDays += !day.regular;
            countsByRhythm[day.regular ? day.spacing : -1].push_back(day.quotes);
        }
    }
    if (!counts.empty()) {
        symbol.usualQuotes = Median(counts);
        symbol.usualSpan = {Median(firsts), Median(lasts)};
    }
    if (!spacings.empty()) {
        symbol.usualSpacing = Median(spacings);
        symbol.irregular = irregularDays * 2 > static_cast<int>(spacings.size());
    }
    std::map<int, int> usualByRhythm;
    for (const auto& [rhythm, rhythmCounts] : countsByRhythm) {
        if (rhythmCounts.size() >= kDaysForRhythm)
            usualByRhythm[rhythm] = Median(rhythmCounts);
    }
    for (DayCoverage& day : symbol.days) {
        const auto usual = usualByRhythm.find(day.regular ? day.spacing : -1);
        day.usualQuotes =
            day.spacing > 0 && usual != usualByRhythm.end() ? usual->second : symbol.usualQuotes;
        day.holes = Holes(day, symbol);
        day.state = State(day);
    }
}

} // namespace pellmark
