// Reads the name of a day file, "SYMBOL-d-mmm-yy.txt", back into its symbol and day: the
// reverse of the name a run gives the file it saves.
#pragma once

#include <QDate>
#include <QString>

#include <optional>

namespace pellmark {

struct DayFileName {
    QString symbol;
    QDate day;
};

inline constexpr QStringView kDayFileSuffix = u".txt";

// The last three hyphen-separated fields before ".txt" are the day (no leading zero), the
// English short month name and the two-digit year; everything before them, hyphens
// included, is the symbol, which must not be empty. Two-digit years 00-69 are 2000-2069,
// 70-99 are 1970-1999. Empty when the name is not in exactly that form or names no real day,
// so that every day has one name only.
std::optional<DayFileName> ParseDayFileName(QStringView fileName);

// The same name without ".txt", as the errors list holds it.
std::optional<DayFileName> ParseDayName(QStringView name);

} // namespace pellmark
