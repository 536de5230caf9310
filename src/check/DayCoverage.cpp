#include "check/DayCoverage.h"

#include "core/QuoteLine.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace pellmark {
namespace {

constexpr int kMinutesPerDay = 24 * 60;

int Minutes(std::string_view time) {
    return ((time[0] - '0') * 10 + (time[1] - '0')) * 60 + (time[3] - '0') * 10 + (time[4] - '0');
}

// The upper median, so that the result is always one of the values.
int Median(std::vector<int> values) {
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

// The most common gap between consecutive quotes over every day; the smaller of equals.
int MostCommonGap(const std::vector<DayCoverage>& days) {
    std::array<int, kMinutesPerDay> counts{};
    for (const DayCoverage& day : days) {
        for (std::size_t i = 1; i < day.prices.size(); ++i) {
            if (const int gap = day.prices[i].minute - day.prices[i - 1].minute; gap > 0)
                ++counts[gap];
        }
    }
    const auto most = std::max_element(counts.begin(), counts.end());
    return *most == 0 ? 0 : static_cast<int>(most - counts.begin());
}

std::vector<Span> Holes(const DayCoverage& day, const SymbolCoverage& symbol) {
    std::vector<Span> holes;
    if (symbol.usualSpacing == 0)
        return holes;
    const int longest = 3 * symbol.usualSpacing;
    for (std::size_t i = 1; i < day.prices.size(); ++i) {
        const Span gap{day.prices[i - 1].minute, day.prices[i].minute};
        const int inside =
            std::min(gap.to, symbol.usualSpan.to) - std::max(gap.from, symbol.usualSpan.from);
        if (inside > longest)
            holes.push_back(gap);
    }
    return holes;
}

DayState State(const DayCoverage& day, const SymbolCoverage& symbol) {
    if (!day.hasFile)
        return DayState::Missing;
    if (!day.readError.isEmpty() || day.unreadableLines > 0)
        return DayState::Unreadable;
    if (day.quotes == 0)
        return DayState::Empty;
    if (day.quotes * 10 < symbol.usualQuotes * 9)
        return DayState::Short;
    return day.holes.empty() ? DayState::Complete : DayState::Holed;
}

} // namespace

void ReadDayText(std::string_view text, LineOrder order, std::string_view separator,
                 DayCoverage& day) {
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", start);
        const std::string_view line = text.substr(start, end - start);
        ++day.lines;
        if (const std::optional<Quote> quote = SplitQuoteLine(line, order, separator)) {
            // Only the chart reads the value; a price too long for a double still counts.
            double price = 0;
            std::from_chars(quote->price.data(), quote->price.data() + quote->price.size(), price);
            day.prices.push_back({Minutes(quote->time), price});
        } else {
            ++day.unreadableLines;
        }
        if (end == std::string_view::npos)
            break;
        start = end + (text.substr(end, 2) == "\r\n" ? 2 : 1);
    }
    day.quotes = static_cast<int>(day.prices.size());
    std::stable_sort(day.prices.begin(), day.prices.end(),
                     [](const PricePoint& a, const PricePoint& b) { return a.minute < b.minute; });
}

void AssessSymbol(SymbolCoverage& symbol) {
    std::vector<int> counts, firsts, lasts;
    for (const DayCoverage& day : symbol.days) {
        if (day.prices.empty())
            continue;
        counts.push_back(day.quotes);
        firsts.push_back(day.prices.front().minute);
        lasts.push_back(day.prices.back().minute);
    }
    if (!counts.empty()) {
        symbol.usualQuotes = Median(counts);
        symbol.usualSpan = {Median(firsts), Median(lasts)};
    }
    symbol.usualSpacing = MostCommonGap(symbol.days);
    for (DayCoverage& day : symbol.days) {
        day.holes = Holes(day, symbol);
        day.state = State(day, symbol);
    }
}

} // namespace pellmark
