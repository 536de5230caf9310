#include "export/SqliteTarget.h"

#include "export/SqliteSchema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <charconv>
#include <sys/stat.h>

namespace pellmark {
namespace {

constexpr long long kSecondsPerDay = 86400;
constexpr qint64 kJulianDayOf1970 = 2440588;
// Rows per INSERT: one statement per row would cost more than reading the day files.
constexpr std::size_t kRowsPerInsert = 256;
constexpr int kQuoteColumns = 4;
constexpr int kBarColumns = 10;
// A reader may hold the file while the run commits; it is waited for this long.
constexpr int kCommitWaitMs = 10000;
// Rows handed to the writing thread at once, and batches waiting for it at most.
constexpr std::size_t kRowsPerJob = 8192;
constexpr std::size_t kJobsWaiting = 16;

std::string InsertSql(const char* table, int columns, std::size_t rows) {
    std::string row = "(";
    for (int i = 0; i < columns; ++i)
        row += i == 0 ? "?" : ",?";
    row += ")";
    std::string sql = std::string("INSERT INTO ") + table + " VALUES " + row;
    for (std::size_t i = 1; i < rows; ++i)
        sql += "," + row;
    return sql;
}

std::string IsoDay(QDate day) {
    return day.toString(Qt::ISODate).toStdString();
}

double Number(std::string_view price) {
    double value = 0;
    std::from_chars(price.data(), price.data() + price.size(), value);
    return value;
}

} // namespace

struct SqliteTarget::Statements {
    SqliteStatement quotes, quote, bars, bar, forgetQuotes, forgetBars, putDay, heldDays, addSymbol,
        symbolId, held;
};

Result<std::unique_ptr<SqliteTarget>> SqliteTarget::Open(const QString& path, const ZoneClock& zone,
                                                         int barMinutes, bool withRunningDay,
                                                         QDate today) {
    const QByteArray name = QFile::encodeName(path);
    struct stat entry {};
    const bool existed = ::lstat(name.constData(), &entry) == 0;
    if (existed && !S_ISREG(entry.st_mode))
        return Failure{"cannot write: not a regular file: left as it is"};
    QDir().mkpath(QFileInfo(path).absolutePath());
    Result<SqliteDatabase> opened = SqliteDatabase::Open(path);
    if (!opened)
        return Failure{"cannot open: " + opened.reason()};
    SqliteDatabase database = std::move(*opened);
    const auto refuse = [&](const std::string& reason) -> Failure {
        if (!existed) {
            QFile::remove(path);
            QFile::remove(path + "-journal");
        }
        return Failure{reason};
    };
    if (const Done begun = database.Execute("PRAGMA cache_size = -65536; BEGIN IMMEDIATE");
        !begun) {
        if (database.Busy())
            return refuse("another program is writing to it: left as it is; try again once it "
                          "is done");
        if (database.NotADatabase())
            return refuse("not a SQLite database: left as it is");
        return refuse("cannot open: " + begun.reason());
    }
    Result<std::optional<SqliteSettings>> settings = ReadSqliteSettings(database);
    if (!settings)
        return refuse(settings.reason() + ": left as it is");
    if (!*settings) {
        if (const Done made = CreateSqliteSchema(database, zone.History()); !made)
            return refuse("cannot write: " + made.reason());
        *settings = SqliteSettings{zone.Name(), {}};
    }
    const QString held = (*settings)->zone;
    if (held != zone.Name())
        return refuse("holds the times of " + held.toStdString() + ": give " +
                      (held == "GMT" ? std::string("no --tz") : "--tz " + held.toStdString()) +
                      ", or another database file: left as it is");

    auto target = std::unique_ptr<SqliteTarget>(
        new SqliteTarget(path, std::move(database), zone, today, !existed));
    target->barLengths_ = (*settings)->barMinutes;
    target->withRunningDay_ = withRunningDay;
    if (barMinutes > 0 && std::find(target->barLengths_.begin(), target->barLengths_.end(),
                                    barMinutes) == target->barLengths_.end()) {
        target->barLengths_.push_back(barMinutes);
        std::sort(target->barLengths_.begin(), target->barLengths_.end());
        target->readAll_ = true;
    }
    SqliteDatabase& db = target->database_;
    const auto prepare = [&](std::string_view sql) -> std::optional<SqliteStatement> {
        Result<SqliteStatement> prepared = db.Prepare(sql);
        if (!prepared)
            return std::nullopt;
        return std::move(*prepared);
    };
    std::optional<SqliteStatement> statements[] = {
        prepare(InsertSql("quote_rows", kQuoteColumns, kRowsPerInsert)),
        prepare(InsertSql("quote_rows", kQuoteColumns, 1)),
        prepare(InsertSql("bar_rows", kBarColumns, kRowsPerInsert)),
        prepare(InsertSql("bar_rows", kBarColumns, 1)),
        prepare("DELETE FROM quote_rows WHERE symbol_id = ?1 AND time >= ?2 AND time < ?3"),
        prepare("DELETE FROM bar_rows WHERE symbol_id = ?1 AND minutes = ?2 AND day >= ?3 AND "
                "day <= ?4"),
        prepare("INSERT OR REPLACE INTO day_rows VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)"),
        prepare("SELECT day, quotes, running, size, modified FROM day_rows WHERE symbol_id = ?1"),
        prepare("INSERT OR IGNORE INTO symbol_ids (symbol) VALUES (?1)"),
        prepare("SELECT symbol_id FROM symbol_ids WHERE symbol = ?1"),
        prepare("SELECT count(*), min(day), max(day) FROM day_rows WHERE symbol_id = ?1"),
    };
    for (const std::optional<SqliteStatement>& statement : statements)
        if (!statement)
            return refuse("cannot open: " + db.Reason());
    target->statements_.reset(new Statements{
        std::move(*statements[0]), std::move(*statements[1]), std::move(*statements[2]),
        std::move(*statements[3]), std::move(*statements[4]), std::move(*statements[5]),
        std::move(*statements[6]), std::move(*statements[7]), std::move(*statements[8]),
        std::move(*statements[9]), std::move(*statements[10])});
    if (const Done waiting = db.Execute("PRAGMA busy_timeout = " + std::to_string(kCommitWaitMs));
        !waiting)
        return refuse("cannot open: " + waiting.reason());
    return target;
}

SqliteTarget::SqliteTarget(QString path, SqliteDatabase database, const ZoneClock& zone,
                           QDate today, bool created)
    : path_(std::move(path)), database_(std::move(database)), zone_(zone), today_(today),
      created_(created), jobs_(kJobsWaiting) {}

SqliteTarget::~SqliteTarget() {
    Rollback();
}

bool SqliteTarget::Check(const Done& done) {
    if (!done && !Failed()) {
        failure_ = done.reason();
        failed_.store(true, std::memory_order_release);
    }
    return !Failed();
}

std::vector<bool> SqliteTarget::StartSymbol(const QString& symbol,
                                            const std::vector<DayFileEntry>& files) {
    current_ = ExportedSeries();
    current_.path = path_;
    current_.symbol = symbol;
    held_.clear();
    stats_.clear();
    barDays_.clear();
    // Once the database cannot be written, nothing more is read.
    std::vector<bool> asked(files.size(), false);
    // The symbol's days are read here while the writing thread waits.
    jobs_.Drain();
    Statements& s = *statements_;
    if (Failed())
        return asked;
    const std::string name = symbol.toStdString();
    s.addSymbol.Bind(1, name);
    if (!Check(s.addSymbol.Run()))
        return asked;
    s.symbolId.Bind(1, name);
    const Result<bool> found = s.symbolId.Step();
    if (!found || !*found) {
        Check(Failure{found ? "the symbol has no number" : found.reason()});
        return asked;
    }
    symbolId_ = s.symbolId.Integer(0);
    if (!Check(s.symbolId.Run()))
        return asked;
    s.heldDays.Bind(1, symbolId_);
    for (;;) {
        const Result<bool> row = s.heldDays.Step();
        if (!row || !*row) {
            if (!row)
                Check(Failure{row.reason()});
            break;
        }
        held_[QDate::fromString(QString::fromStdString(s.heldDays.Text(0)), Qt::ISODate)] = {
            s.heldDays.Integer(2) != 0, s.heldDays.Integer(1), s.heldDays.Integer(3),
            s.heldDays.Integer(4)};
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        struct stat entry {};
        // What cannot be looked at is read, and told as unreadable.
        asked[i] = ::stat(QFile::encodeName(files[i].path).constData(), &entry) != 0;
        if (asked[i])
            continue;
        const long long modified = entry.st_mtim.tv_sec * 1'000'000'000LL + entry.st_mtim.tv_nsec;
        stats_[files[i].day] = {entry.st_size, modified};
        const auto day = held_.find(files[i].day);
        asked[i] = readAll_ || day == held_.end() || day->second.running ||
                   files[i].day >= today_ || day->second.size != entry.st_size ||
                   day->second.modified != modified;
    }
    return asked;
}

void SqliteTarget::FileRead(const DayFileEntry& file, long long quotes, bool running) {
    if (Failed())
        return;
    const auto day = held_.find(file.day);
    // A file without quotes (in the wrong layout, emptied) never replaces a day, so that a
    // symbol refused for its layout has written nothing.
    if (quotes == 0) {
        if (day != held_.end() && day->second.quotes > 0)
            notes_.push_back({file.path, 0,
                              QStringLiteral("holds no quotes now: %1 keeps the %2 it had")
                                  .arg(QFileInfo(path_).fileName())
                                  .arg(day->second.quotes)});
        return;
    }
    const auto [first, last] = ZoneDays(file.day);
    for (QDate zoneDay = first; zoneDay <= last; zoneDay = zoneDay.addDays(1))
        barDays_.insert(zoneDay);
    const auto [size, modified] = stats_[file.day];
    // The rows waiting are of other GMT days and of days of the zone this one does not
    // touch, so the day may be forgotten before they go in. A symbol new to the database has
    // nothing to forget.
    jobs_.Push([this, symbolId = symbolId_, forget = !held_.empty(),
                row = DayRow{file.day, first, last, quotes, running,
                             QFileInfo(file.path).absoluteFilePath().toStdString(), size,
                             modified}] { PutDay(symbolId, forget, row); });
    ++current_.daysWritten;
}

std::pair<QDate, QDate> SqliteTarget::ZoneDays(QDate gmtDay) const {
    const DayOffsets offsets = zone_.Offsets(gmtDay);
    return {gmtDay.addDays(offsets.At(0).dayShift),
            gmtDay.addDays(offsets.At(kSecondsPerDay - 1).dayShift)};
}

void SqliteTarget::PutDay(long long symbolId, bool forget, const DayRow& row) {
    if (Failed())
        return;
    Statements& s = *statements_;
    if (forget) {
        const long long start = (row.day.toJulianDay() - kJulianDayOf1970) * kSecondsPerDay;
        s.forgetQuotes.Bind(1, symbolId);
        s.forgetQuotes.Bind(2, start);
        s.forgetQuotes.Bind(3, start + kSecondsPerDay);
        Check(s.forgetQuotes.Run());
        const std::string from = IsoDay(row.firstZoneDay), to = IsoDay(row.lastZoneDay);
        for (const int minutes : barLengths_) {
            s.forgetBars.Bind(1, symbolId);
            s.forgetBars.Bind(2, static_cast<long long>(minutes));
            s.forgetBars.Bind(3, from);
            s.forgetBars.Bind(4, to);
            Check(s.forgetBars.Run());
        }
    }
    const std::string isoDay = IsoDay(row.day);
    s.putDay.Bind(1, symbolId);
    s.putDay.Bind(2, isoDay);
    s.putDay.Bind(3, row.quotes);
    s.putDay.Bind(4, static_cast<long long>(row.running));
    s.putDay.Bind(5, row.file);
    s.putDay.Bind(6, row.size);
    s.putDay.Bind(7, row.modified);
    Check(s.putDay.Run());
}

void SqliteTarget::AddDay(const ExportDay& day) {
    if (Failed())
        return;
    for (const ExportQuote& quote : day.quotes) {
        if (!quote.fresh)
            continue;
        quoteRows_.push_back({quote.time, quote.n, Number(quote.price)});
        ++current_.rows;
    }
    if (barDays_.contains(day.day)) {
        const std::string isoDay = IsoDay(day.day);
        for (std::size_t i = 0; i < day.bars.size(); ++i) {
            for (const ExportBar& bar : day.bars[i]) {
                barRows_.push_back({barLengths_[i], isoDay, bar.time, bar.offset, Number(bar.open),
                                    Number(bar.high), Number(bar.low), Number(bar.close),
                                    bar.ticks});
                ++current_.bars;
            }
        }
    }
    if (quoteRows_.size() + barRows_.size() >= kRowsPerJob)
        PushRows(false);
}

void SqliteTarget::PushRows(bool all) {
    const auto push = [&](auto& rows, auto write) {
        if (rows.empty() || (!all && rows.size() < kRowsPerInsert))
            return;
        jobs_.Push([this, symbolId = symbolId_, batch = std::move(rows), write]() mutable {
            (this->*write)(symbolId, std::move(batch));
        });
        rows.clear();
    };
    push(quoteRows_, &SqliteTarget::WriteQuotes);
    push(barRows_, &SqliteTarget::WriteBars);
}

void SqliteTarget::WriteQuotes(long long symbolId, std::vector<QuoteRow> rows) {
    Insert(rows, statements_->quotes, statements_->quote, kQuoteColumns,
           [&](SqliteStatement& insert, int first, const QuoteRow& row) {
               insert.Bind(first + 1, symbolId);
               insert.Bind(first + 2, row.time);
               insert.Bind(first + 3, row.n);
               insert.Bind(first + 4, row.price);
           });
}

void SqliteTarget::WriteBars(long long symbolId, std::vector<BarRow> rows) {
    Insert(rows, statements_->bars, statements_->bar, kBarColumns,
           [&](SqliteStatement& insert, int first, const BarRow& row) {
               insert.Bind(first + 1, symbolId);
               insert.Bind(first + 2, row.minutes);
               insert.Bind(first + 3, std::string_view(row.day));
               insert.Bind(first + 4, row.time);
               insert.Bind(first + 5, row.offset);
               insert.Bind(first + 6, row.open);
               insert.Bind(first + 7, row.high);
               insert.Bind(first + 8, row.low);
               insert.Bind(first + 9, row.close);
               insert.Bind(first + 10, row.ticks);
           });
}

template <typename Row, typename BindRow>
void SqliteTarget::Insert(const std::vector<Row>& rows, SqliteStatement& many, SqliteStatement& one,
                          int columns, BindRow bind) {
    for (std::size_t done = 0; done < rows.size() && !Failed();) {
        const bool full = rows.size() - done >= kRowsPerInsert;
        SqliteStatement& insert = full ? many : one;
        const std::size_t count = full ? kRowsPerInsert : 1;
        for (std::size_t r = 0; r < count; ++r)
            bind(insert, static_cast<int>(r) * columns, rows[done + r]);
        Check(insert.Run());
        done += count;
    }
}

void SqliteTarget::EndSymbol(const SymbolEnd& end, ExportReport& report) {
    PushRows(true);
    jobs_.Drain();
    report.notes.insert(report.notes.end(), notes_.begin(), notes_.end());
    notes_.clear();
    if (Failed())
        return;
    if (!end.keep)
        return;
    Statements& s = *statements_;
    s.held.Bind(1, symbolId_);
    const Result<bool> row = s.held.Step();
    if (!row || !*row) {
        Check(Failure{row ? "the symbol has no days" : row.reason()});
        return;
    }
    current_.daysHeld = static_cast<int>(s.held.Integer(0));
    current_.first = QDate::fromString(QString::fromStdString(s.held.Text(1)), Qt::ISODate);
    current_.last = QDate::fromString(QString::fromStdString(s.held.Text(2)), Qt::ISODate);
    if (!Check(s.held.Run()))
        return;
    current_.lastDay = end.lastDay;
    current_.running = end.running;
    current_.barsLeaveRunning = !barLengths_.empty() && !withRunningDay_;
    current_.barsOfRunning = !barLengths_.empty() && withRunningDay_;
    series_.push_back(current_);
}

void SqliteTarget::Finish(ExportReport& report) {
    jobs_.Drain();
    if (!Failed())
        Check(WriteSqliteSettings(database_, {zone_.Name(), barLengths_}));
    if (!Failed() && Check(database_.Execute("COMMIT"))) {
        open_ = false;
        report.written.insert(report.written.end(), series_.begin(), series_.end());
        return;
    }
    report.problems.push_back(
        {path_, 0, "cannot write: " + QString::fromStdString(*failure_) + ": left as it was"});
    Rollback();
}

void SqliteTarget::Rollback() {
    jobs_.Drain();
    if (!open_)
        return;
    open_ = false;
    // When the rollback cannot be written either, the journal beside the file undoes the
    // run the next time the database is opened.
    (void)database_.Execute("ROLLBACK");
    if (created_) {
        QFile::remove(path_);
        QFile::remove(path_ + "-journal");
    }
}

} // namespace pellmark
