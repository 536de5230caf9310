#include "export/DayFileName.h"

#include <array>

namespace pellmark {
namespace {

constexpr std::array<QStringView, 12> kMonths = {u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun",
                                                 u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};

bool AllDigits(QStringView text) {
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return !text.isEmpty();
}

int MonthNumber(QStringView name) {
    for (std::size_t i = 0; i < kMonths.size(); ++i) {
        if (kMonths[i] == name)
            return static_cast<int>(i) + 1;
    }
    return 0;
}

} // namespace

std::optional<DayFileName> ParseDayFileName(QStringView fileName) {
    if (!fileName.endsWith(kDayFileSuffix))
        return std::nullopt;
    const QStringView stem = fileName.chopped(kDayFileSuffix.size());
    const qsizetype yearDash = stem.lastIndexOf(u'-');
    const qsizetype monthDash = yearDash > 0 ? stem.lastIndexOf(u'-', yearDash - 1) : -1;
    const qsizetype dayDash = monthDash > 0 ? stem.lastIndexOf(u'-', monthDash - 1) : -1;
    if (dayDash < 1)
        return std::nullopt;

    const QStringView day = stem.sliced(dayDash + 1, monthDash - dayDash - 1);
    const QStringView month = stem.sliced(monthDash + 1, yearDash - monthDash - 1);
    const QStringView year = stem.sliced(yearDash + 1);
    if (!AllDigits(day) || day.size() > 2 || day.startsWith(u'0') || !AllDigits(year) ||
        year.size() != 2)
        return std::nullopt;

    const int twoDigitYear = year.toInt();
    const QDate date(twoDigitYear < 70 ? 2000 + twoDigitYear : 1900 + twoDigitYear,
                     MonthNumber(month), day.toInt());
    if (!date.isValid())
        return std::nullopt;
    return DayFileName{stem.first(dayDash).toString(), date};
}

} // namespace pellmark
