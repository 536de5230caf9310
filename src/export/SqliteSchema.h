// The tables of an export's SQLite database and what it records of itself. Times are seconds
// since 1970 (GMT); the zone's offsets from GMT over the years are a table of their own, so
// that the views can give the zone's clock as text without a column in every quote; prices
// are numbers. The tables are keyed by a symbol's number; the views quotes, bars and days
// name the symbol and are what a user queries.
#pragma once

#include "core/Result.h"
#include "export/SqliteDatabase.h"

#include <QString>

#include <optional>
#include <utility>
#include <vector>

namespace pellmark {

// What the database records of the exports into it.
struct SqliteSettings {
    QString zone;                // "GMT" or an IANA name: the clock its days and bars keep
    std::vector<int> barMinutes; // the bar lengths it holds, each kept current
};

// The settings of a database made by an export; empty for a database without tables, which
// is one to make. Refused for a database with tables of its own ("a SQLite database of
// another program") or of a later version of this program.
Result<std::optional<SqliteSettings>> ReadSqliteSettings(SqliteDatabase& database);

// Makes the tables and views in an empty database, with the zone's offsets: from each time
// (seconds since 1970) on, the seconds the zone is ahead of GMT (ZoneClock::History).
Done CreateSqliteSchema(SqliteDatabase& database,
                        const std::vector<std::pair<long long, int>>& offsets);

Done WriteSqliteSettings(SqliteDatabase& database, const SqliteSettings& settings);

} // namespace pellmark
