#include "CommandLine.h"

#include "CommandLineRules.h"
#include "export/OhlcBars.h"

#include <QCommandLineParser>
#include <QFile>
#include <QStringList>

#include <optional>

namespace pellmark {

const char kExportUsage[] =
    R"(Usage: pellmark-export [OPTION]... FOLDER OUTDIR
Write the day files of FOLDER (SYMBOL-d-mmm-yy.txt, as a download saves them) as one
CSV series per symbol, OUTDIR/SYMBOL.csv, for back-testing. Each CSV has the header
date,time,price and one row per quote (2005-06-08,14:05,1.2345), in ascending date
and time order; quotes with the same time keep their order in the day file.

The layout the day files were saved with:
      --time-first       lines hold the time, then the price (default: the price,
                           then the time)
      --sep TEXT         the text between price and time (default: " - ")

What to export (default: every day of every symbol in FOLDER; days from 1970-01-01
to 2069-12-31, those a file name's two-digit year can tell apart):
      --symbols LIST     only these symbols, comma separated, exact names
      --from YYYY-MM-DD  only days from this one on
      --to YYYY-MM-DD    only days up to this one

How to export:
      --bars LENGTH      one row per bar of LENGTH (5min, 15min, 30min, 1h, 4h or
                           1d) instead of one per quote, with the header
                           date,time,open,high,low,close,ticks; a bar is named by
                           its start (the 1h bar 10:00 holds 10:00 to 10:59), open
                           and close are its first and last quotes by time, ticks
                           the number of quotes; bars without quotes are left out;
                           written to OUTDIR/SYMBOL-LENGTH.csv (AUDUSD-1h.csv), so
                           bars never replace a quotes CSV

  -h, --help             display this help and exit
  -v, --version          output version information and exit

A line that is not a time and a price in the given layout is reported on standard
error with the file and line number (the first ten of a file, then their count), and
is never written as data; after ten such lines in one symbol the layout they seem to
have is named; a symbol none of whose lines is read but which look like another layout
is refused in one line with that hint. A .txt file whose name is not a day file's is
skipped with a note, except failed.txt, a run's errors list. Each CSV written is named
on standard output with its rows and its first and last day
(AUDUSD.csv: 1440 rows, 2005-06-06 to 2005-06-10). Only regular files up to 16 MB
are read. OUTDIR is created when missing; each CSV is written whole or not at all,
and an existing one is replaced, except when the symbol's day files hold no quotes:
then it is left as it was.

Exit status:
 0  if every day file was read in full,
 1  if some lines or day files were skipped or a CSV could not be written, such as
      on a full disk (the other CSVs are still written), or the listing on standard
      output was cut short (the CSVs are still written),
 2  if the command line is wrong,
 129, 130, 143  if stopped by SIGHUP, SIGINT or SIGTERM (the CSVs written so far
      are whole; the others are left as they were).
)";

namespace {

CommandLine UsageError(CommandLine line, const QString& error) {
    line.action = CommandLine::Action::UsageError;
    line.error = error;
    return line;
}

} // namespace

CommandLine ParseCommandLine(int argc, char** argv) {
    CommandLine line;
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QFile::decodeName(argv[i]);

    QCommandLineParser parser;
    const QCommandLineOption help(QStringList{"h", "help"}), version(QStringList{"v", "version"}),
        timeFirst("time-first"), separator("sep", {}, "TEXT"), symbols("symbols", {}, "LIST"),
        from("from", {}, "YYYY-MM-DD"), to("to", {}, "YYYY-MM-DD"), bars("bars", {}, "LENGTH");
    parser.addOptions({help, version, timeFirst, separator, symbols, from, to, bars});
    if (!parser.parse(arguments))
        return UsageError(line, QString::fromStdString(CommandLineError(parser)));
    if (const auto repeated =
            RepeatedOption(parser, {help, version, timeFirst, separator, symbols, from, to, bars}))
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
    if (parser.isSet(bars)) {
        const std::optional<int> minutes = ParseBarLength(parser.value(bars));
        if (!minutes)
            return UsageError(
                line, QStringLiteral("--bars needs one of %1, not '%2'")
                          .arg(QString::fromLatin1(kBarLengthNames.data(), kBarLengthNames.size()),
                               parser.value(bars)));
        options.barMinutes = *minutes;
    }

    const QStringList operands = parser.positionalArguments();
    if (operands.size() != 2)
        return UsageError(line, QStringLiteral("expected FOLDER and OUTDIR"));
    if (options.from.isValid() && options.to.isValid() && options.from > options.to)
        return UsageError(line, QStringLiteral("--from is after --to"));
    options.folder = operands[0];
    options.outDir = operands[1];
    return line;
}

} // namespace pellmark
