// Glues the day files of a save folder into one CSV series per symbol, for back-testing:
// OUTDIR/SYMBOL.csv with the header "date,time,price" and one row per quote, the date in ISO
// form, in ascending date and time order, or one row per bar (OhlcBars.h) into
// OUTDIR/SYMBOL-LENGTH.csv (AUDUSD-1h.csv), so that bars never replace the quotes' CSV. Used
// by pellmark-export and by pellmark-batch --csv.
//
//     ExportOptions options;
//     options.folder = "/data/fx";          // holds AUDUSD-5-Jun-05.txt, ...
//     options.outDir = "/data/csv";         // gets AUDUSD.csv, ...
//     const ExportReport report = ExportDayFiles(options);
//     for (const ExportProblem& problem : report.problems)
//         std::fprintf(stderr, "%s\n", qPrintable(ProblemText(problem)));
//     return report.problems.empty() ? 0 : 1;
#pragma once

#include "core/QuoteLine.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <atomic>
#include <optional>
#include <string>
#include <vector>

namespace pellmark {

struct ExportOptions {
    QString folder; // the save folder of the run; only its *.txt files are looked at
    QString outDir; // created when missing; an existing CSV of the same name is replaced
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
    // Checked before each file; once true the export ends at once, and no CSV is replaced.
    const std::atomic<bool>* stop = nullptr;
};

// Something that was not exported, or a hint about it. Nothing is ever left out without
// one of these.
struct ExportProblem {
    QString file; // a day file, the folder, or a CSV that could not be written
    int line = 0; // counted from 1; 0 when it concerns the whole file
    QString reason;
};

// A CSV the export wrote: its rows (quotes or bars) and the first and last day they hold.
struct ExportedCsv {
    QString path;
    long long rows = 0;
    QDate first;
    QDate last;
};

struct ExportReport {
    std::vector<ExportProblem> problems;
    // Worth knowing but not a fault: a .txt file that is not a day file (such as a run's
    // errors file), a symbol whose files hold no quotes.
    std::vector<ExportProblem> notes;
    bool stopped = false; // options.stop was set before the export was done
    int dayFilesRead = 0;
    int filesSkipped = 0;               // day files not read: not regular, too large, or unreadable
    int linesSkipped = 0;               // lines that are not a time and a price in the given layout
    long long quotesExported = 0;       // in the CSVs written, as rows or within bars
    std::vector<ExportedCsv> csvFiles;  // every CSV written, in symbol order
    QStringList symbolsWithoutDayFiles; // asked for, but no day file in the range
};

// Reads every day file of options.folder that passes the filters and writes one CSV per
// symbol whose files hold at least one quote; the CSV of a symbol without quotes is left as
// it was. Rows are sorted by date, then by time; rows of one day with the same time keep
// their order in the file. Time and price are copied as written. Lines are split at CR, LF
// or CR LF; the first ten lines of a file that are not quotes are reported, then their
// count, and after ten in one symbol the layout they seem to have; a symbol of which no line
// is read but those lines have one other layout gets that hint alone. Each CSV is written
// whole or not at all, with CR LF line ends (RFC 4180); the CSVs take their names together,
// after one sync of the file system (WholeFiles.h). When nothing is found to export, a
// problem says what the folder holds. Time grows in step with the number
// of files. Does not print anything.
ExportReport ExportDayFiles(const ExportOptions& options);

// "FILE:LINE: reason", or "FILE: reason" for a whole file.
QString ProblemText(const ExportProblem& problem);

// "CSV: 1440 rows, 2005-06-06 to 2005-06-10" (one day named once).
QString WrittenText(const ExportedCsv& csv);

} // namespace pellmark
