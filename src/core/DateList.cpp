#include "core/DateList.h"

#include <array>

namespace pellmark {

std::string DateLabel(QDate day) {
    static constexpr std::array<const char*, 12> kMonths = {
        "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const int twoDigitYear = ((day.year() % 100) + 100) % 100;
    std::string label = std::to_string(day.day()) + "-" + kMonths[day.month() - 1] + "-";
    if (twoDigitYear < 10)
        label += '0';
    return label + std::to_string(twoDigitYear);
}

std::vector<std::string> WeekdayLabelsNewestFirst(QDate start, QDate end) {
    std::vector<std::string> labels;
    if (!start.isValid() || !end.isValid())
        return labels;
    for (QDate day = end; day >= start; day = day.addDays(-1)) {
        if (day.dayOfWeek() != Qt::Saturday && day.dayOfWeek() != Qt::Sunday)
            labels.push_back(DateLabel(day));
    }
    return labels;
}

} // namespace pellmark
