// Glues the day files of a save folder into one CSV series per symbol, for back-testing:
// OUTDIR/SYMBOL.csv with the header "date,time,price" and one row per quote, the date in ISO
// form, in ascending date and time order. Used by pellmark-export and by pellmark-batch --csv.
//
//     ExportOptions options;
//     options.folder = "/data/fx";          // holds AUDUSD-5-Jun-05.txt, ...
//     options.outDir = "/data/csv";         // gets AUDUSD.csv, ...
//     const ExportReport report = ExportDayFiles(options);
//     for (const ExportProblem& problem : report.problems)
//         std::fprintf(stderr, "%s\n", qPrintable(ProblemText(problem)));
//     return report.problems.empty() ? 0 : 1;
#pragma once

#include "quote/IntradayParser.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <string>
#include <vector>

namespace pellmark {

struct ExportOptions {
    QString folder; // the save folder of the run; only its *.txt files are looked at
    QString outDir; // created when missing; an existing SYMBOL.csv there is replaced
    // The layout the run wrote its lines in.
    LineOrder order = LineOrder::PriceFirst;
    std::string separator = " - ";
    QStringList symbols; // exact, case-sensitive names; empty means every symbol found
    QDate from;          // first day exported; invalid means no lower bound
    QDate to;            // last day exported; invalid means no upper bound
};

// Something that was not exported. Nothing is ever left out without one of these.
struct ExportProblem {
    QString file; // a day file, the folder, or a CSV that could not be written
    int line = 0; // counted from 1; 0 when it concerns the whole file
    QString reason;
};

struct ExportReport {
    std::vector<ExportProblem> problems;
    int dayFilesRead = 0;
    int filesSkipped = 0; // *.txt files whose name is not a day file's, or unreadable
    int linesSkipped = 0; // lines that are not a time and a price in the given layout
    long long rowsWritten = 0;
    QStringList csvFiles;               // every CSV written, in symbol order
    QStringList symbolsWithoutDayFiles; // asked for, but no day file in the range
};

// Reads every day file of options.folder that passes the filters and writes one CSV per
// symbol with at least one such file (a file without quotes still counts: its symbol gets
// a CSV, if only the header). Rows are sorted by date, then by time; rows of one day with
// the same time keep their order in the file. Time and price are copied as written. Lines
// are split at CR, LF or CR LF. Each CSV is written whole or not at all, with CR LF line
// ends (RFC 4180). Does not print anything.
ExportReport ExportDayFiles(const ExportOptions& options);

// "FILE:LINE: reason", or "FILE: reason" for a whole file.
QString ProblemText(const ExportProblem& problem);

} // namespace pellmark
