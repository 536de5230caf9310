// What an export did, for the program to tell: what it wrote, what it left out and why.
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <vector>

namespace pellmark {

// Something that was not exported, or a hint about it. Nothing is ever left out without
// one of these.
struct ExportProblem {
    QString file; // a day file, the folder, or a file that could not be written
    int line = 0; // counted from 1; 0 when it concerns the whole file
    QString reason;
};

// What the export wrote: a symbol's file, or a symbol's days in a database.
struct ExportedSeries {
    QString path;
    QString symbol;             // in a database; empty for a file of the symbol's own
    long long rows = 0;         // a file's rows (quotes or bars); in a database, the quotes written
    long long bars = 0;         // in a database, the bars written
    QDate first, last;          // the days that gave rows; in a database, the days it holds
    int daysWritten = 0;        // in a database
    int daysHeld = 0;           // in a database
    QDate lastDay;              // of the symbol's newest day file
    std::vector<QDate> running; // running days read, in date order
    bool barsLeaveRunning = false; // bars were written, running days left out of them
    bool barsOfRunning = false;    // bars were written, running days in them
};

struct ExportReport {
    std::vector<ExportProblem> problems;
    // Worth knowing but not a fault: a .txt file that is not a day file (such as a run's
    // errors file), a symbol whose files hold no quotes.
    std::vector<ExportProblem> notes;
    bool stopped = false; // a stop was asked for before the export was done
    int filesSkipped = 0; // day files not read: not regular, too large, or unreadable
    int linesSkipped = 0; // lines that are not a time and a price in the given layout
    std::vector<ExportedSeries> written; // in symbol order
    QStringList symbolsWithoutDayFiles;  // asked for, but no day file in the range
};

// "FILE:LINE: reason", or "FILE: reason" for a whole file.
QString ProblemText(const ExportProblem& problem);

// "AUDUSD.csv: 1440 rows, 2005-06-06 to 2005-06-10" (one day named once), or for a
// database "prices.db: AUDUSD: 1 day written, 288 quotes; 1306 days held, 2021-01-01 to
// 2026-12-08"; then the running days, "; the last day, 8-Dec-26, is still running".
QString WrittenText(const ExportedSeries& series);

} // namespace pellmark
