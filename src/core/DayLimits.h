// The days a day file can name. Its label writes the year in two digits, read as 1970-2069,
// so a day outside that span would share its name with a day a century away.
#pragma once

#include <QDate>

namespace pellmark {

inline const QDate kFirstNameableDay{1970, 1, 1};
inline const QDate kLastNameableDay{2069, 12, 31};

inline bool IsNameableDay(QDate day) {
    return day.isValid() && day >= kFirstNameableDay && day <= kLastNameableDay;
}

} // namespace pellmark
