#include "core/QuoteLine.h"

#include <algorithm>

namespace pellmark {
namespace {

constexpr std::size_t kTimeLength = 5;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int TwoDigits(std::string_view text) {
    return (text[0] - '0') * 10 + (text[1] - '0');
}

// Single quotes for the shell, so that the user can paste the option as it stands.
std::string ShellQuoted(std::string_view text) {
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

bool IsTime(std::string_view text) {
    return IsDigit(text[0]) && IsDigit(text[1]) && text[2] == ':' && IsDigit(text[3]) &&
           IsDigit(text[4]) && TwoDigits(text) < 24 && TwoDigits(text.substr(3)) < 60;
}

// Whole digits, then optionally a point and at least one more digit.
bool IsPrice(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsDigit(text[i]))
        ++i;
    if (i == 0)
        return false;
    if (i == text.size())
        return true;
    if (text[i] != '.' || i + 1 == text.size())
        return false;
    for (++i; i < text.size(); ++i) {
        if (!IsDigit(text[i]))
            return false;
    }
    return true;
}

} // namespace

std::optional<Quote> SplitQuoteLine(std::string_view line, LineOrder order,
                                    std::string_view separator) {
    if (line.size() <= kTimeLength + separator.size())
        return std::nullopt;
    const std::size_t priceLength = line.size() - kTimeLength - separator.size();
    Quote quote;
    std::string_view between;
    if (order == LineOrder::TimeFirst) {
        quote.time = line.substr(0, kTimeLength);
        between = line.substr(kTimeLength, separator.size());
        quote.price = line.substr(kTimeLength + separator.size());
    } else {
        quote.price = line.substr(0, priceLength);
        between = line.substr(priceLength, separator.size());
        quote.time = line.substr(priceLength + separator.size());
    }
    if (between != separator || !IsTime(quote.time) || !IsPrice(quote.price))
        return std::nullopt;
    return quote;
}

std::optional<LineLayout> GuessLayout(std::string_view line) {
    if (line.size() <= kTimeLength)
        return std::nullopt;
    const auto isPriceChar = [](char c) { return IsDigit(c) || c == '.'; };
    std::optional<LineLayout> found;
    int readings = 0;
    // Time first: the price is the run of digits and points that ends the line.
    if (IsTime(line.substr(0, kTimeLength))) {
        std::size_t priceStart = line.size();
        while (priceStart > kTimeLength && isPriceChar(line[priceStart - 1]))
            --priceStart;
        if (IsPrice(line.substr(priceStart))) {
            found = LineLayout{LineOrder::TimeFirst,
                               std::string(line.substr(kTimeLength, priceStart - kTimeLength))};
            ++readings;
        }
    }
    // Price first: the price is the run of digits and points that starts the line.
    const std::size_t timeStart = line.size() - kTimeLength;
    if (IsTime(line.substr(timeStart))) {
        std::size_t priceEnd = 0;
        while (priceEnd < timeStart && isPriceChar(line[priceEnd]))
            ++priceEnd;
        if (IsPrice(line.substr(0, priceEnd))) {
            found = LineLayout{LineOrder::PriceFirst,
                               std::string(line.substr(priceEnd, timeStart - priceEnd))};
            ++readings;
        }
    }
    if (readings != 1)
        return std::nullopt;
    return found;
}

std::string LayoutText(LineOrder order, std::string_view separator) {
    const std::string sep(separator);
    return order == LineOrder::TimeFirst ? "HH:MM" + sep + "PRICE" : "PRICE" + sep + "HH:MM";
}

std::optional<std::string> LayoutHint(const std::vector<std::optional<LineLayout>>& guesses,
                                      LineOrder order, std::string_view separator) {
    std::optional<LineLayout> common;
    std::size_t agreeing = 0;
    for (const std::optional<LineLayout>& guess : guesses) {
        const auto same =
            static_cast<std::size_t>(std::count(guesses.begin(), guesses.end(), guess));
        if (guess && same > agreeing) {
            common = guess;
            agreeing = same;
        }
    }
    if (!common || agreeing * 2 <= guesses.size())
        return std::nullopt;
    const bool orderDiffers = common->order != order;
    const bool separatorDiffers = common->separator != separator;
    if (!orderDiffers && !separatorDiffers)
        return std::nullopt;

    const bool timeFirst = common->order == LineOrder::TimeFirst;
    std::string looks = timeFirst ? "TIME then PRICE" : "PRICE then TIME";
    std::vector<std::string> fixes;
    if (separatorDiffers) {
        looks += " with \"" + common->separator + "\" between";
        fixes.push_back("--sep " + ShellQuoted(common->separator));
    }
    if (orderDiffers && timeFirst)
        fixes.insert(fixes.begin(), "--time-first");
    if (orderDiffers && !timeFirst)
        fixes.push_back("without --time-first");
    std::string hint = "these lines look like " + looks + ": try";
    for (const std::string& fix : fixes)
        hint += " " + fix;
    return hint;
}

} // namespace pellmark
