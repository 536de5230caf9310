// Date labels ("d-mmm-yy", English month names: they are part of the service's request
// format) and the list of week-days of a range, newest first.
#pragma once

#include <QDate>

#include <string>
#include <vector>

namespace pellmark {

std::string DateLabel(QDate day);

// Labels of the days from end down to start, both included, Saturdays and Sundays left out.
// Empty when start is after end.
std::vector<std::string> WeekdayLabelsNewestFirst(QDate start, QDate end);

} // namespace pellmark
