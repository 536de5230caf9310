// A SQLite database as an export's target, one file that grows night by night: the quotes
// and the bars of each symbol, indexed by symbol and time, and a table of the days it holds
// with the file each was read from, so that exporting the same folder again reads and writes
// only the days whose files changed (and running days, read every time). One transaction per
// run: a stop, a failure or a kill leaves the database as it was. The tables and the views
// that name the symbols are made by SqliteSchema.h.
#pragma once

#include "core/Result.h"
#include "export/ExportReport.h"
#include "export/ExportTarget.h"
#include "export/JobQueue.h"
#include "export/SqliteDatabase.h"
#include "export/ZoneClock.h"

#include <atomic>
#include <map>
#include <memory>
#include <set>

namespace pellmark {

class SqliteTarget : public ExportTarget {
public:
    // Opens or creates the database at path and starts the run's transaction. Refused, with
    // the file left as it is, when the name is not a regular file, the file is not a SQLite
    // database or one of another program, another program is writing to it, or it holds
    // the times of another zone. barMinutes 0: quotes only (bars held already stay current).
    static Result<std::unique_ptr<SqliteTarget>> Open(const QString& path, const ZoneClock& zone,
                                                      int barMinutes, bool withRunningDay,
                                                      QDate today);
    ~SqliteTarget() override;

    std::vector<int> BarLengths() const override { return barLengths_; }
    std::vector<bool> StartSymbol(const QString& symbol,
                                  const std::vector<DayFileEntry>& files) override;
    void FileRead(const DayFileEntry& file, long long quotes, bool running) override;
    void AddDay(const ExportDay& day) override;
    void EndSymbol(const SymbolEnd& end, ExportReport& report) override;
    void Finish(ExportReport& report) override;

private:
    struct Statements;
    struct HeldDay {
        bool running = false;
        long long quotes = 0;
        long long size = 0;
        long long modified = 0;
    };
    struct QuoteRow {
        long long time;
        long long n;
        double price;
    };
    struct BarRow {
        long long minutes;
        std::string day;
        long long time;
        long long offset;
        double open, high, low, close;
        long long ticks;
    };
    struct DayRow {
        QDate day;
        // The days of the zone its times fall on, worked out beforehand: the zone's data is
        // read on one thread only.
        QDate firstZoneDay, lastZoneDay;
        long long quotes;
        bool running;
        std::string file;
        long long size;
        long long modified;
    };

    SqliteTarget(QString path, SqliteDatabase database, const ZoneClock& zone, QDate today,
                 bool created);
    // Keeps the first failure; once there is one nothing more is written.
    bool Check(const Done& done);
    bool Failed() const { return failed_.load(std::memory_order_acquire); }
    // Hands the rows gathered to the writing thread; all: the last few too.
    void PushRows(bool all);
    // On the writing thread: inserts rows in statements of many rows each.
    void WriteQuotes(long long symbolId, std::vector<QuoteRow> rows);
    void WriteBars(long long symbolId, std::vector<BarRow> rows);
    // Each row bound by bind(statement, its first parameter less one, row): many rows at a
    // time with many, the last few one by one.
    template <typename Row, typename BindRow>
    void Insert(const std::vector<Row>& rows, SqliteStatement& many, SqliteStatement& one,
                int columns, BindRow bind);
    // On the writing thread: deletes what the database holds of a GMT day file (its quotes
    // and the bars of every day of the zone it touches, which are then all written again)
    // and records the day read.
    void PutDay(long long symbolId, bool forget, const DayRow& row);
    // The days of the zone a GMT day's times fall on.
    std::pair<QDate, QDate> ZoneDays(QDate gmtDay) const;
    void Rollback();

    QString path_;
    SqliteDatabase database_;
    std::unique_ptr<Statements> statements_;
    ZoneClock zone_;
    QDate today_;
    bool created_;     // the file did not exist before: a run that fails removes it
    bool open_ = true; // the transaction is open
    std::optional<std::string> failure_; // written by the thread that failed, read once drained
    std::atomic<bool> failed_ = false;
    std::vector<int> barLengths_;
    bool readAll_ = false; // a new bar length: every day is read
    bool withRunningDay_ = false;
    // The symbol in hand.
    long long symbolId_ = 0;
    std::map<QDate, HeldDay> held_;
    std::map<QDate, std::pair<long long, long long>> stats_; // size, modification time
    std::set<QDate> barDays_; // days of the zone whose bars are written again
    std::vector<QuoteRow> quoteRows_;
    std::vector<BarRow> barRows_;
    ExportedSeries current_;
    std::vector<ExportProblem> notes_;
    std::vector<ExportedSeries> series_;
    // Declared last: its thread ends before anything it writes with goes.
    JobQueue jobs_;
};

} // namespace pellmark
