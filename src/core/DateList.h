// Date labels ("d-mmm-yy", English month names: they are part of the service's request
// format), read back into days, and the list of week-days of a range, newest first.
#pragma once

#include <QDate>
#include <QStringView>

#include <string>
#include <vector>

namespace pellmark {

std::string DateLabel(QDate day);

// The day a label "d-mmm-yy" names, its two-digit year read as the one of firstYear to
// firstYear + 99 that ends in those digits. The day may have a leading zero and the month any
// letter case. Invalid when the label is not in that form or names no real day.
QDate DayOfLabel(QStringView label, int firstYear);

// Labels of the days from end down to start, both included, Saturdays and Sundays left out.
// Empty when start is after end.
std::vector<std::string> WeekdayLabelsNewestFirst(QDate start, QDate end);

} // namespace pellmark
