// pellmark-batch's command line: what to download, where to, in which layout, and how to
// report it. Parsing never touches the network or the disk beyond reading named files.
#pragma once

#include "core/Category.h"
#include "core/DayItem.h"
#include "export/DayFileExport.h"
#include "page/IntradayParser.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <string>
#include <variant>
#include <vector>

namespace pellmark {

struct BatchOptions {
    Category category = Category::Forex;
    std::vector<std::string> symbols; // the category's default list unless given
    QDate from;
    QDate to;
    QString outDir = QStringLiteral(".");
    LineOrder lineOrder = LineOrder::PriceFirst;
    std::string separator = " - ";
    std::string hostLabel;
    bool skipSaved = false;
    bool quiet = false;              // only failures and the summary
    QString errorsFile;              // failed items are appended here; empty: printed at the end
    QString retryFile;               // fetch the items listed here instead of a range
    std::vector<DayItem> retryItems; // read from retryFile
    std::size_t retryLinesRead = 0;  // the lines of retryFile, blank ones too
    bool retryFileMissing = false;   // an empty list: nothing to fetch, nothing to rewrite
    std::vector<DayItem> retryKept;  // listed items naming no day to fetch, kept in retryFile
    std::vector<std::string> retryNotItems; // lines naming no item (notes), kept as they are
    std::vector<std::string> notes;         // said before the run starts
    QString csvDir;                         // export the run's symbols there once it has ended
    // How the run's symbols are exported once it has ended, into csvDir, into
    // exported.database, or both: layout, bars, zone, running days (ExportFlags.h).
    ExportOptions exported;
    // Keeping a folder current: --update FOLDER takes its symbols and start days from the day
    // files there (outDir is FOLDER); --heal fetches what the check finds incomplete again.
    QString updateFolder;
    bool heal = false;
    int healRounds = 2;
    bool healAgain = false; // ask again for the days remembered as without data
    QDate healFrom;         // with --update: where the heal starts instead of after long gaps
    std::vector<std::string> only; // with --update: the only symbols of the folder updated
    bool dryRun = false;           // print what the run would ask, ask nothing
};

// What the command line asks for: a run, a text to print and exit 0 (--help, --version),
// or a usage error with its one-line reason.
struct PrintAndExit {
    std::string text;
};
struct UsageError {
    std::string reason;
};
using ParsedCommandLine = std::variant<BatchOptions, PrintAndExit, UsageError>;

// arguments starts with the program's name, as QCoreApplication::arguments() does.
// today, the service's day (ServiceDay.h), bounds the range: quotes for days that have not
// happened cannot exist.
ParsedCommandLine ParseBatchCommandLine(const QStringList& arguments, QDate today);

std::string BatchUsage();

} // namespace pellmark
