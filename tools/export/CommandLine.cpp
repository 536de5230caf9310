#include "CommandLine.h"

#include "CommandLineRules.h"
#include "ExportFlags.h"

#include <QCommandLineParser>
#include <QFile>
#include <QStringList>

#include <optional>
#include <string_view>

namespace pellmark {

namespace {

constexpr std::string_view kUsageStart =
    R"(Usage: pellmark-export [OPTION]... FOLDER OUTDIR
  or:  pellmark-export [OPTION]... --sqlite FILE FOLDER
Write the day files of FOLDER (SYMBOL-d-mmm-yy.txt, as a download saves them) as one
series per symbol, for back-testing: by default OUTDIR/SYMBOL.csv with the header
date,time,price and one row per quote (2005-06-08,14:05,1.2345), in ascending date
and time order; quotes with the same time keep their order in the day file.

The layout the day files were saved with:
      --time-first          lines hold the time, then the price (default: the price,
                            then the time)
      --sep TEXT            the text between price and time (default: " - ")

What to export (default: every day of every symbol in FOLDER; days from 1970-01-01
to 2069-12-31, those a file name's two-digit year can tell apart):
      --symbols LIST        only these symbols, comma separated, exact names
      --from YYYY-MM-DD     only days from this one on
      --to YYYY-MM-DD       only days up to this one

How to export:
)";

constexpr std::string_view kUsageEnd =
    R"(
  -h, --help                display this help and exit
  -v, --version             output version information and exit

A line that is not a time and a price in the given layout is reported on standard
error with the file and line number (the first ten of a file, then their count), and
is never written as data; after ten such lines in one symbol the layout they seem to
have is named; a symbol none of whose lines is read but which look like another layout
is refused in one line with that hint. A .txt file whose name is not a day file's is
skipped with a note, except failed.txt, a run's errors list. Each file written is named
on standard output with its rows and its first and last day
(AUDUSD.csv: 1440 rows, 2005-06-06 to 2005-06-10), and so is each symbol written into a
database, with the days it wrote and holds. A running day (today in GMT, or a day saved
before it ended) is named there too (...; the last day, 8-Dec-26, is still running).
Only regular files up to 16 MB are read. OUTDIR is created when missing; each file is
written whole or not at all, and an existing one is replaced, except when the symbol's
day files hold no quotes: then it is left as it was. A database is written in one
transaction: a failure or a stop leaves it as it was.

Exit status:
 0  if every day file was read in full,
 1  if some lines or day files were skipped (also for a name that is not valid
    UTF-8), a file could not be written, such as on a full disk (the others are
    still written), the database could not be written, is not a SQLite database
    or another program writes to it (it is left as it was), or the listing on
    standard output was cut short (the files are still written),
 2  if the command line is wrong,
 129, 130, 143  if stopped by SIGHUP, SIGINT or SIGTERM (the files written so far
    are whole, the others and the database are left as they were).
)";

CommandLine UsageError(CommandLine line, const QString& error) {
    line.action = CommandLine::Action::UsageError;
    line.error = error;
    return line;
}

} // namespace

std::string ExportUsage() {
    return std::string(kUsageStart) + std::string(ExportFlags::Help()) + std::string(kUsageEnd);
}

CommandLine ParseCommandLine(int argc, char** argv) {
    CommandLine line;
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QFile::decodeName(argv[i]);

    QCommandLineParser parser;
    const ExportFlags exportFlags;
    const QCommandLineOption help(QStringList{"h", "help"}), version(QStringList{"v", "version"}),
        timeFirst("time-first"), separator("sep", {}, "TEXT"), symbols("symbols", {}, "LIST"),
        from("from", {}, "YYYY-MM-DD"), to("to", {}, "YYYY-MM-DD");
    const QList<QCommandLineOption> own = {help, version, timeFirst, separator, symbols, from, to};
    parser.addOptions(own);
    parser.addOptions(exportFlags.Options());
    if (!parser.parse(arguments))
        return UsageError(line, QString::fromStdString(CommandLineError(parser)));
    if (const auto repeated = RepeatedOption(parser, own + exportFlags.Options()))
        return UsageError(line, QString::fromStdString(*repeated));
    if (parser.isSet(help)) {
        line.action = CommandLine::Action::Help;
        return line;
    }
    if (parser.isSet(version)) {
        line.action = CommandLine::Action::Version;
        return line;
    }

    ExportOptions& options = line.options;
    if (parser.isSet(timeFirst))
        options.order = LineOrder::TimeFirst;
    if (parser.isSet(separator))
        options.separator = parser.value(separator).toStdString();
    if (parser.isSet(symbols)) {
        options.symbols = CleanedSymbolList(parser.value(symbols));
        if (options.symbols.isEmpty())
            return UsageError(line, QStringLiteral("--symbols needs at least one symbol"));
    }
    for (const auto& [option, day] :
         {std::pair{&from, &options.from}, std::pair{&to, &options.to}}) {
        if (!parser.isSet(*option))
            continue;
        const Result<QDate> read = DayOption(option->names().first(), parser.value(*option));
        if (!read)
            return UsageError(line, QString::fromStdString(read.reason()));
        *day = *read;
    }
    if (const auto refused = exportFlags.Take(parser, options))
        return UsageError(line, QString::fromStdString(*refused));

    const QStringList operands = parser.positionalArguments();
    if (options.database.isEmpty() && operands.size() != 2)
        return UsageError(line, QStringLiteral("expected FOLDER and OUTDIR"));
    if (!options.database.isEmpty() && operands.size() != 1)
        return UsageError(line, QStringLiteral("expected FOLDER alone with --sqlite FILE"));
    if (!options.database.isEmpty() && parser.isSet(QStringLiteral("layout")))
        return UsageError(line, QStringLiteral("--layout chooses text files: leave it out with "
                                               "--sqlite"));
    if (options.from.isValid() && options.to.isValid() && options.from > options.to)
        return UsageError(line, QStringLiteral("--from is after --to"));
    options.folder = operands[0];
    if (operands.size() == 2)
        options.outDir = operands[1];
    return line;
}

} // namespace pellmark
