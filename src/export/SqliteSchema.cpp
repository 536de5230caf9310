#include "export/SqliteSchema.h"

#include <QStringList>

namespace pellmark {
namespace {

// Raised when the tables change, so that an older program leaves a newer database alone.
constexpr std::string_view kFormat = "1";

constexpr const char* kSchema = R"(
CREATE TABLE export_settings(key TEXT PRIMARY KEY, value TEXT NOT NULL) WITHOUT ROWID;
CREATE TABLE zone_offsets(since INTEGER PRIMARY KEY, utc_offset INTEGER NOT NULL);
CREATE TABLE symbol_ids(symbol_id INTEGER PRIMARY KEY, symbol TEXT NOT NULL UNIQUE);
CREATE TABLE day_rows(symbol_id INTEGER NOT NULL, day TEXT NOT NULL, quotes INTEGER NOT NULL,
    running INTEGER NOT NULL, file TEXT NOT NULL, size INTEGER NOT NULL,
    modified INTEGER NOT NULL, PRIMARY KEY(symbol_id, day)) WITHOUT ROWID;
CREATE TABLE quote_rows(symbol_id INTEGER, time INTEGER, n INTEGER, price REAL,
    PRIMARY KEY(symbol_id, time, n)) WITHOUT ROWID;
CREATE TABLE bar_rows(symbol_id INTEGER, minutes INTEGER, day TEXT, time INTEGER,
    utc_offset INTEGER, open REAL, high REAL, low REAL, close REAL, ticks INTEGER,
    PRIMARY KEY(symbol_id, minutes, day, time)) WITHOUT ROWID;
CREATE VIEW quotes AS SELECT symbol, time, n, price, utc_offset,
    datetime(time + utc_offset, 'unixepoch') AS local_time
    FROM (SELECT q.*, (SELECT utc_offset FROM zone_offsets WHERE since <= q.time
                       ORDER BY since DESC LIMIT 1) AS utc_offset FROM quote_rows AS q)
    JOIN symbol_ids USING (symbol_id);
CREATE VIEW bars AS SELECT symbol, minutes, day, time, utc_offset,
    datetime(time + utc_offset, 'unixepoch') AS local_time, open, high, low, close, ticks
    FROM bar_rows JOIN symbol_ids USING (symbol_id);
CREATE VIEW days AS SELECT symbol, day, quotes, running, file, size, modified
    FROM day_rows JOIN symbol_ids USING (symbol_id);
)";

} // namespace

Result<std::optional<SqliteSettings>> ReadSqliteSettings(SqliteDatabase& database) {
    Result<SqliteStatement> tables =
        database.Prepare("SELECT count(*), count(*) FILTER (WHERE name = 'export_settings') "
                         "FROM sqlite_schema WHERE type = 'table'");
    if (!tables)
        return Failure{tables.reason()};
    if (const Result<bool> row = (*tables).Step(); !row)
        return Failure{row.reason()};
    const long long all = (*tables).Integer(0), ours = (*tables).Integer(1);
    if (const Done done = (*tables).Run(); !done)
        return Failure{done.reason()};
    if (all == 0)
        return std::optional<SqliteSettings>();
    if (ours == 0)
        return Failure{"a SQLite database of another program"};

    Result<SqliteStatement> read = database.Prepare("SELECT key, value FROM export_settings");
    if (!read)
        return Failure{read.reason()};
    SqliteSettings settings;
    std::string format;
    for (;;) {
        const Result<bool> row = (*read).Step();
        if (!row)
            return Failure{row.reason()};
        if (!*row)
            break;
        const std::string key = (*read).Text(0), value = (*read).Text(1);
        if (key == "format")
            format = value;
        else if (key == "zone")
            settings.zone = QString::fromStdString(value);
        else if (key == "bar_minutes")
            for (const QString& minutes :
                 QString::fromStdString(value).split(u',', Qt::SkipEmptyParts))
                settings.barMinutes.push_back(minutes.toInt());
    }
    if (format != kFormat)
        return Failure{"made by another version of this program (format " + format + ")"};
    return std::optional<SqliteSettings>(settings);
}

Done CreateSqliteSchema(SqliteDatabase& database,
                        const std::vector<std::pair<long long, int>>& offsets) {
    if (const Done made = database.Execute(kSchema); !made)
        return made;
    Result<SqliteStatement> add = database.Prepare("INSERT INTO zone_offsets VALUES (?1, ?2)");
    if (!add)
        return Failure{add.reason()};
    for (const auto& [since, offset] : offsets) {
        (*add).Bind(1, since);
        (*add).Bind(2, static_cast<long long>(offset));
        if (const Done added = (*add).Run(); !added)
            return added;
    }
    return {};
}

Done WriteSqliteSettings(SqliteDatabase& database, const SqliteSettings& settings) {
    QStringList minutes;
    for (const int length : settings.barMinutes)
        minutes << QString::number(length);
    Result<SqliteStatement> write =
        database.Prepare("INSERT OR REPLACE INTO export_settings VALUES (?1, ?2)");
    if (!write)
        return Failure{write.reason()};
    const std::string zone = settings.zone.toStdString(),
                      lengths = minutes.join(u',').toStdString();
    for (const auto& [key, value] :
         {std::pair<std::string_view, std::string_view>{"format", kFormat},
          {"zone", zone},
          {"bar_minutes", lengths}}) {
        (*write).Bind(1, key);
        (*write).Bind(2, value);
        if (const Done done = (*write).Run(); !done)
            return done;
    }
    return {};
}

} // namespace pellmark
