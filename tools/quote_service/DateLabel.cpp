#include "DateLabel.h"

#include "core/DateList.h"

#include <QString>

#include <chrono>

namespace pellmark {
namespace {

std::chrono::year_month_day ToChrono(CalendarDay day) {
    return std::chrono::year{day.year} / std::chrono::month{static_cast<unsigned>(day.month)} /
           std::chrono::day{static_cast<unsigned>(day.day)};
}

} // namespace

std::optional<CalendarDay> ParseDateLabel(std::string_view label) {
    const QDate day =
        DayOfLabel(QString::fromUtf8(label.data(), static_cast<qsizetype>(label.size())), 2000);
    if (!day.isValid())
        return std::nullopt;
    return CalendarDay{day.year(), day.month(), day.day()};
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

ServiceMoment NowUtc() {
    const auto now = std::chrono::system_clock::now();
    const auto midnight = std::chrono::floor<std::chrono::days>(now);
    return {
        TodayUtc(),
        static_cast<int>(std::chrono::duration_cast<std::chrono::seconds>(now - midnight).count())};
}

} // namespace pellmark
