#include "DateLabel.h"

#include <array>
#include <cctype>
#include <chrono>

namespace pellmark {
namespace {

constexpr std::array<std::string_view, 12> kMonthNames = {"jan", "feb", "mar", "apr", "may", "jun",
                                                          "jul", "aug", "sep", "oct", "nov", "dec"};

std::optional<int> ParseDigits(std::string_view text, std::size_t minDigits,
                               std::size_t maxDigits) {
    if (text.size() < minDigits || text.size() > maxDigits)
        return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::optional<int> ParseMonth(std::string_view text) {
    if (text.size() != 3)
        return std::nullopt;
    std::string lower;
    for (char c : text)
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (std::size_t i = 0; i < kMonthNames.size(); ++i) {
        if (kMonthNames[i] == lower)
            return static_cast<int>(i) + 1;
    }
    return std::nullopt;
}

std::chrono::year_month_day ToChrono(CalendarDay day) {
    return std::chrono::year{day.year} / std::chrono::month{static_cast<unsigned>(day.month)} /
           std::chrono::day{static_cast<unsigned>(day.day)};
}

} // namespace

std::optional<CalendarDay> ParseDateLabel(std::string_view label) {
    const auto firstDash = label.find('-');
    const auto secondDash =
        label.find('-', firstDash == std::string_view::npos ? 0 : firstDash + 1);
    if (firstDash == std::string_view::npos || secondDash == std::string_view::npos)
        return std::nullopt;
    const auto day = ParseDigits(label.substr(0, firstDash), 1, 2);
    const auto month = ParseMonth(label.substr(firstDash + 1, secondDash - firstDash - 1));
    const auto year = ParseDigits(label.substr(secondDash + 1), 2, 2);
    if (!day || !month || !year)
        return std::nullopt;
    const CalendarDay result{2000 + *year, *month, *day};
    if (!ToChrono(result).ok())
        return std::nullopt;
    return result;
}

long DayNumber(CalendarDay day) {
    return std::chrono::sys_days{ToChrono(day)}.time_since_epoch().count();
}

bool IsWeekend(CalendarDay day) {
    const std::chrono::weekday weekday{std::chrono::sys_days{ToChrono(day)}};
    return weekday == std::chrono::Saturday || weekday == std::chrono::Sunday;
}

CalendarDay TodayUtc() {
    const std::chrono::year_month_day today{
        std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now())};
    return {static_cast<int>(today.year()), static_cast<int>(static_cast<unsigned>(today.month())),
            static_cast<int>(static_cast<unsigned>(today.day()))};
}

} // namespace pellmark
