#include "core/DateList.h"

#include <QLocale>

namespace pellmark {

std::string DateLabel(QDate day) {
    return QLocale::c().toString(day, u"d-MMM-yy").toStdString();
}

QDate DayOfLabel(QStringView label, int firstYear) {
    const auto digit = [](QChar c) { return c >= u'0' && c <= u'9'; };
    if (label.size() < 3 || label[label.size() - 3] != u'-' || !digit(label[label.size() - 2]) ||
        !digit(label.back()))
        return {};
    // Qt reads "yy" as a year of the 1900s, which would lose 29 February 2000: the year is
    // written out in full first.
    const int twoDigitYear = label.last(2).toInt();
    const int year = firstYear + (twoDigitYear - firstYear % 100 + 100) % 100;
    return QLocale::c().toDate(label.chopped(2).toString() + QString::number(year),
                               QStringLiteral("d-MMM-yyyy"));
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
