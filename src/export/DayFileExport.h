// Glues the day files of a save folder into one series per symbol, for back-testing: read
// into quotes, put on the clock of a zone (GMT, the service's, by default), made into bars
// when asked, and written by a target: the text files of a layout (ExportLayout.h; by default
// OUTDIR/SYMBOL.csv with the header "date,time,price", or OUTDIR/SYMBOL-LENGTH.csv for bars),
// or a SQLite database that only reads again the days whose files changed. Used by
// pellmark-export and by pellmark-batch --csv.
//
//     ExportOptions options;
//     options.folder = "/data/fx";          // holds AUDUSD-5-Jun-05.txt, ...
//     options.outDir = "/data/csv";         // gets AUDUSD.csv, ...
//     options.today = clock.Today();        // the day that is still running
//     const ExportReport report = ExportDayFiles(options);
//     for (const ExportProblem& problem : report.problems)
//         std::fprintf(stderr, "%s\n", qPrintable(ProblemText(problem)));
//     return report.problems.empty() ? 0 : 1;
#pragma once

#include "core/QuoteLine.h"
#include "export/ExportLayout.h"
#include "export/ExportReport.h"
#include "export/ZoneClock.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <atomic>
#include <string>

namespace pellmark {

struct ExportOptions {
    QString folder; // the save folder of the run; only its *.txt files are looked at
    QString outDir; // created when missing; an existing file of the same name is replaced
    // The layout the run wrote its lines in.
    LineOrder order = LineOrder::PriceFirst;
    std::string separator = " - ";
    QStringList symbols; // exact, case-sensitive names; empty means every symbol found
    QDate from;          // first day exported; invalid means no lower bound
    QDate to;            // last day exported; invalid means no upper bound
    // Bar length in minutes (ParseBarLength); 0 writes one row per quote.
    int barMinutes = 0;
    // Names of .txt files in the folder that are its own, not day files: passed over without
    // a note.
    QStringList ownFiles = {QStringLiteral("failed.txt")};
    // Checked before each file; once true the export ends at once, and nothing is replaced.
    const std::atomic<bool>* stop = nullptr;
    // What the files written look like; a layout takes quotes, bars or both (LayoutRefusal).
    const ExportLayout* layout = &CsvLayout();
    // The clock the times are written in, and where days begin and end.
    ZoneClock zone{};
    // Bars hold the quotes of running days too; by default bars with one are left out.
    bool withRunningDay = false;
    // The service's day: it, and every day saved before it ended, is running (ServiceDay.h).
    QDate today{};
    // When given, the quotes (and bars) go into this SQLite database instead of outDir.
    QString database{};
};

// Reads every day file of options.folder that passes the filters, in date order (with a
// database, only those whose files changed since the last export into it) and writes each
// symbol whose files hold at least one quote; what is written of a symbol without quotes is
// left as it was. Quotes are sorted by time; quotes of one day with the same time keep their
// order in the file. Prices are copied as written. Lines are split at CR, LF or CR LF; the
// first ten lines of a file that are not quotes are reported, then their count, and after
// ten in one symbol the layout they seem to have; a symbol of which no line is read but those
// lines have one other layout gets that hint alone. Text files are written whole or not at
// all, with CR LF line ends, and take their names together after one sync of the file system
// (WholeFiles.h); a database is written in one transaction. When nothing is found to export,
// a problem says what the folder holds. Time grows in step with the number of files read.
// Does not print anything.
ExportReport ExportDayFiles(const ExportOptions& options);

} // namespace pellmark
