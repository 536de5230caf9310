#include "export/OhlcBars.h"

#include <algorithm>
#include <array>
#include <utility>

namespace pellmark {
namespace {

constexpr std::array<std::pair<std::u16string_view, int>, 7> kBarLengths = {{
    {u"1min", 1},
    {u"5min", 5},
    {u"15min", 15},
    {u"30min", 30},
    {u"1h", 60},
    {u"4h", 240},
    {u"1d", 1440},
}};

} // namespace

QString BarLengthName(int minutes) {
    for (const auto& [name, length] : kBarLengths)
        if (length == minutes)
            return QString::fromUtf16(name.data(), static_cast<qsizetype>(name.size()));
    return {};
}

std::optional<int> ParseBarLength(QStringView text) {
    for (const auto& [name, minutes] : kBarLengths) {
        if (text == QStringView(name))
            return minutes;
    }
    return std::nullopt;
}

bool PriceLess(std::string_view a, std::string_view b) {
    // Prices of one symbol mostly have one form: as many digits before the point.
    if (a.size() == b.size() && a.find('.') == b.find('.') && a.front() != '0' && b.front() != '0')
        return a < b;
    // Leading zeros say nothing about the value; "0" itself stays one digit long.
    const auto whole = [](std::string_view price) {
        std::string_view digits = price.substr(0, price.find('.'));
        while (digits.size() > 1 && digits.front() == '0')
            digits.remove_prefix(1);
        return digits;
    };
    const auto fraction = [](std::string_view price) {
        const std::size_t point = price.find('.');
        return point == std::string_view::npos ? std::string_view() : price.substr(point + 1);
    };
    const std::string_view wholeA = whole(a), wholeB = whole(b);
    if (wholeA.size() != wholeB.size())
        return wholeA.size() < wholeB.size();
    if (wholeA != wholeB)
        return wholeA < wholeB;
    // Compare the fractions digit by digit, the shorter one padded with zeros.
    const std::string_view fractionA = fraction(a), fractionB = fraction(b);
    for (std::size_t i = 0; i < std::max(fractionA.size(), fractionB.size()); ++i) {
        const char digitA = i < fractionA.size() ? fractionA[i] : '0';
        const char digitB = i < fractionB.size() ? fractionB[i] : '0';
        if (digitA != digitB)
            return digitA < digitB;
    }
    return false;
}

std::vector<ExportBar> BuildBars(std::span<const ExportQuote> quotes, int minutes,
                                 bool withRunning) {
    const int length = minutes * 60;
    std::vector<ExportBar> bars;
    std::optional<ExportBar> bar;
    bool running = false;
    const auto close = [&] {
        if (bar && (!running || withRunning))
            bars.push_back(*bar);
        running = false;
    };
    for (const ExportQuote& quote : quotes) {
        const int start = quote.second / length * length;
        if (!bar || bar->second != start) {
            close();
            bar = ExportBar{quote.time - (quote.second - start),
                            quote.offset,
                            start,
                            quote.price,
                            quote.price,
                            quote.price,
                            quote.price,
                            1};
        } else {
            if (PriceLess(bar->high, quote.price))
                bar->high = quote.price;
            if (PriceLess(quote.price, bar->low))
                bar->low = quote.price;
            bar->close = quote.price;
            ++bar->ticks;
        }
        running = running || quote.running;
    }
    close();
    return bars;
}

} // namespace pellmark
