#include "CheckCommandLine.h"

#include "CommandLineRules.h"

#include <QCommandLineParser>

namespace pellmark {
namespace {

constexpr char kDescription[] =
    "Check that the day files of FOLDER (SYMBOL-d-mmm-yy.txt, as a download saves them)\n"
    "cover every week-day, and say which days to fetch again. Each day of each symbol is\n"
    "complete, missing (no day file), empty (no quote), unreadable (lines that are not a\n"
    "time and a price in the layout, or a file that is not read: not a regular file, larger\n"
    "than 16 MB, or the system's reason), short (data lost: it starts late or ends early\n"
    "against the symbol's usual session, or has far fewer quote times than its usual day)\n"
    "or holed (a stretch without quotes that the symbol's days almost never show at that\n"
    "time of day, so seldom that fewer than one day in a thousand would show it). What is\n"
    "usual is learnt from the symbol's days of the same spacing; quotes at one time count\n"
    "once.";

constexpr char kEpilogue[] =
    "\nStandard output has one line per faulty day (AUDUSD 17-Nov-26 short 40 of 96 quotes;\n"
    "a run of missing days in one line), notes (a day file on a week-end day, the options\n"
    "that would read unreadable lines), then a summary per symbol. A day the folder's\n"
    "pellmark-market file (kept by pellmark-batch) says the service has no data for, or only\n"
    "in part, is of its own class, service (AUDUSD 25-Dec-26 no data at the service), and\n"
    "stays out of the retry list and the exit status; other holidays show as missing. Days\n"
    "after today (the GMT date: the service's days end at midnight GMT) are never missing.\n"
    "Today, and a day whose file was saved before it ended in GMT, is running: not a fault,\n"
    "and pellmark-batch --update fetches it again. To fetch again the days a fetch may mend\n"
    "(all faulty days but the holed ones, whose gap is the service's own):\n"
    "  pellmark-check --retry-list failed.txt ~/prices; pellmark-batch --retry failed.txt "
    "--out ~/prices\n"
    "\n"
    "Exit status:\n"
    " 0  if every day is complete, running or has all the service has of it,\n"
    " 1  if some day is not, or standard output was closed early (the files are still\n"
    "    written),\n"
    " 2  if the command line is wrong,\n"
    " 3  if the retry list or the report cannot be written.\n";

CheckCommandLine UsageError(const QString& text) {
    CheckCommandLine line;
    line.action = CheckCommandLine::Action::UsageError;
    line.text = text;
    return line;
}

} // namespace

CheckCommandLine ParseCheckCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(kDescription);
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption symbols("symbols", "Only these symbols, comma separated, exact names.",
                                     "A,B");
    const QCommandLineOption from("from",
                                  "The first day to check, from 1970-01-01 (default: each "
                                  "symbol's first day file).",
                                  "YYYY-MM-DD");
    const QCommandLineOption to("to",
                                "The last day to check, up to 2069-12-31 (default: each "
                                "symbol's last day file).",
                                "YYYY-MM-DD");
    const QCommandLineOption timeFirst("time-first", "The lines hold the time, then the price "
                                                     "(default: the price, then the time).");
    const QCommandLineOption sep("sep", "The text between price and time (default: \" - \").",
                                 "TEXT");
    const QCommandLineOption retry("retry-list",
                                   "Write every missing, empty, unreadable or short day to FILE, "
                                   "SYMBOL-d-mmm-yy followed by CR LF, for pellmark-batch --retry "
                                   "(empty when there is none).",
                                   "FILE");
    const QCommandLineOption html("html",
                                  "Write a report to FILE: one HTML page with a calendar and a "
                                  "price chart per symbol.",
                                  "FILE");
    const QCommandLineOption help(QStringList{"h", "help"}, "Display this help and exit.");
    const QCommandLineOption version(QStringList{"v", "version"},
                                     "Output version information and exit.");
    parser.addOptions({symbols, from, to, timeFirst, sep, retry, html, help, version});
    parser.addPositionalArgument("FOLDER", "The save folder holding the day files.");

    if (!parser.parse(arguments))
        return UsageError(QString::fromStdString(CommandLineError(parser)));
    if (const auto repeated =
            RepeatedOption(parser, {symbols, from, to, timeFirst, sep, retry, html, help, version}))
        return UsageError(QString::fromStdString(*repeated));
    CheckCommandLine line;
    if (parser.isSet(help)) {
        line.action = CheckCommandLine::Action::Help;
        // Qt names the program by the path it was started with; the manual page wants its name.
        const QString text = parser.helpText();
        line.text =
            "Usage: pellmark-check [OPTION]... FOLDER" + text.mid(text.indexOf(u'\n')) + kEpilogue;
        return line;
    }
    if (parser.isSet(version)) {
        line.action = CheckCommandLine::Action::Version;
        return line;
    }
    CheckOptions& options = line.options;
    if (parser.isSet(symbols)) {
        options.symbols = CleanedSymbolList(parser.value(symbols));
        if (options.symbols.isEmpty())
            return UsageError("--symbols needs at least one symbol");
    }
    for (const auto& [option, day] : {std::pair{&from, &options.from}, {&to, &options.to}}) {
        if (!parser.isSet(*option))
            continue;
        const Result<QDate> value = DayOption(option->names().constFirst(), parser.value(*option));
        if (!value)
            return UsageError(QString::fromStdString(value.reason()));
        *day = *value;
    }
    if (options.from.isValid() && options.to.isValid() && options.from > options.to)
        return UsageError("--from is after --to");
    if (parser.isSet(timeFirst))
        options.order = LineOrder::TimeFirst;
    if (parser.isSet(sep))
        options.separator = parser.value(sep).toLocal8Bit().toStdString();
    line.retryList = parser.value(retry);
    line.html = parser.value(html);
    for (const auto* file : {&retry, &html})
        if (parser.isSet(*file) && parser.value(*file).isEmpty())
            return UsageError("--" + file->names().constFirst() + " needs a file name");
    const QStringList folders = parser.positionalArguments();
    if (folders.size() != 1)
        return UsageError("expected one FOLDER");
    options.folder = folders.constFirst();
    return line;
}

} // namespace pellmark
