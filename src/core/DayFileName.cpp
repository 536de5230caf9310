#include "core/DayFileName.h"

#include "core/DateList.h"

namespace pellmark {

std::optional<DayFileName> ParseDayFileName(QStringView fileName) {
    if (!fileName.endsWith(kDayFileSuffix))
        return std::nullopt;
    return ParseDayName(fileName.chopped(kDayFileSuffix.size()));
}

std::optional<DayFileName> ParseDayName(QStringView stem) {
    const qsizetype yearDash = stem.lastIndexOf(u'-');
    const qsizetype monthDash = yearDash > 0 ? stem.lastIndexOf(u'-', yearDash - 1) : -1;
    const qsizetype dayDash = monthDash > 0 ? stem.lastIndexOf(u'-', monthDash - 1) : -1;
    if (dayDash < 1)
        return std::nullopt;

    // Only the label a run gives the day: no leading zero, the month as written.
    const QStringView label = stem.sliced(dayDash + 1);
    const QDate date = DayOfLabel(label, 1970);
    if (!date.isValid() || QString::fromStdString(DateLabel(date)) != label)
        return std::nullopt;
    return DayFileName{stem.first(dayDash).toString(), date};
}

} // namespace pellmark
