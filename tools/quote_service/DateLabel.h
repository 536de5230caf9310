// Reads the service's date labels ("5-Jun-05": day, English short month, two-digit year of
// the 2000s) and answers the calendar questions the quote pages depend on.
#pragma once

#include <optional>
#include <string_view>

namespace pellmark {

struct CalendarDay {
    int year = 0;
    int month = 0; // 1..12
    int day = 0;   // 1..31

    auto operator<=>(const CalendarDay&) const = default;
};

// Empty when the label is not a valid day in the form d-mmm-yy (month name in any case).
std::optional<CalendarDay> ParseDateLabel(std::string_view label);

// Days since 1 January 1970.
long DayNumber(CalendarDay day);

bool IsWeekend(CalendarDay day);

// The current day in UTC.
CalendarDay TodayUtc();

inline constexpr int kSecondsPerDay = 24 * 60 * 60;

// The service's now: its day has quotes only up to this second (GMT); the days before are
// whole. A day alone, as tests of past days give it, is taken whole.
struct ServiceMoment {
    ServiceMoment(CalendarDay today, int second = kSecondsPerDay)
        : day(today), secondOfDay(second) {}
    CalendarDay day;
    int secondOfDay;
};

// The clock's GMT day and second.
ServiceMoment NowUtc();

} // namespace pellmark
