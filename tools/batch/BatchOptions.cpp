#include "BatchOptions.h"

#include "CommandLineRules.h"
#include "core/DateList.h"
#include "core/DefaultSymbols.h"
#include "core/ErrorsList.h"
#include "core/TextLines.h"
#include "core/WholeFile.h"
#include "ExportFlags.h"
#include "net/QuoteService.h"
#include "run/RunInput.h"
#include "StopSignals.h"

#include <QCommandLineParser>
#include <QFileInfo>

#include <algorithm>
#include <optional>

namespace pellmark {

namespace {

constexpr const char* kUsageStart =
    "Usage: pellmark-batch [OPTION]...\n"
    "Download historical intraday prices from the quote service into one text file per\n"
    "symbol and week-day, newest day first, as the Pellmark window does.\n"
    "\n"
    "What to download:\n"
    "      --forex               currency pairs (the default category; one category at most)\n"
    "      --stocks              stocks\n"
    "      --indices             indices\n"
    "      --symbols A,B,C       the symbols, comma-separated (default: the category's list)\n"
    "      --symbols-file FILE   the symbols, one per line (blank lines are skipped)\n"
    "      --from YYYY-MM-DD     the first day of the range (default: today; not before\n"
    "                            1970-01-01)\n"
    "      --to YYYY-MM-DD       the last day of the range (default: today; not after today)\n"
    "      --retry FILE          fetch the failed items listed in FILE (SYMBOL-d-mmm-yy, one\n"
    "                            per line) instead of a range; FILE is then rewritten with\n"
    "                            the items that still fail; an item naming no week-day up\n"
    "                            to today, and a line without a hyphen (a note), is kept\n"
    "                            there and not fetched (exit 1), and a FILE that does not\n"
    "                            exist is an empty list\n"
    "\n"
    "Where and how:\n"
    "      --out DIR             the folder for the day files (default: the current folder;\n"
    "                            created when missing)\n"
    "      --time-first          write time then price (default: price then time)\n"
    "      --sep TEXT            the separator between them, at most 3 characters\n"
    "                            (default: \" - \")\n"
    "      --host LABEL          the service's host label (default: www)\n"
    "      --skip-saved          do not fetch a day whose file is already in DIR and not empty\n"
    "      --errors FILE         append failed items to FILE, each followed by CR LF\n"
    "                            (default: print them on standard output at the end)\n"
    "      --csv OUTDIR          when the run has ended, export the run's symbols as one CSV\n"
    "                            per symbol into OUTDIR, as pellmark-export does\n"
    "\n"
    "How the run's symbols are exported when it has ended, into --csv OUTDIR or a\n"
    "database, as pellmark-export does:\n";

constexpr const char* kUsageEnd =
    "\n"
    "Keeping a folder current:\n"
    "      --update FOLDER       bring FOLDER up to today (or --to): for every symbol with\n"
    "                            day files there, fetch the week-days after its newest one,\n"
    "                            and again a newest file that is empty and every day saved\n"
    "                            before it ended in GMT; files dated after today are left\n"
    "                            out, and a symbol whose newest file cannot be read or is\n"
    "                            in another layout is skipped (exit 1); --symbols adds\n"
    "                            symbols without files, from --from. The layout options\n"
    "                            must match the layout of the files\n"
    "      --only A,B,C          with --update: update only these symbols of FOLDER\n"
    "      --heal                then check the range (with --update: each symbol's days from\n"
    "                            its first file on, or from after a gap of more than 60\n"
    "                            week-days between two of its files) and fetch again the\n"
    "                            days that are missing, empty, unreadable or short\n"
    "      --heal-rounds N       fetch them again at most N times (0 to 20, default 2)\n"
    "      --heal-again          also ask for the days recorded as without data in\n"
    "                            FOLDER/pellmark-market\n"
    "      --heal-from YYYY-MM-DD  with --update: check every symbol from that day on,\n"
    "                            whatever gaps its files have\n"
    "      --dry-run             print, per symbol, the days the run would ask for, the\n"
    "                            requests that takes and how long; ask and write nothing\n"
    "    Each run keeps what it learns of the market in OUT/pellmark-market: the form each\n"
    "    symbol is asked in (a pair as frxSYMBOL, a stock or index as SYMBOL; one of unknown\n"
    "    form is asked once in the other when others have data), the holidays of each form,\n"
    "    the days short at the service and each symbol's first day there, so that no run asks\n"
    "    again for what cannot come.\n"
    "\n"
    "  -q, --quiet               report only the days that fail and the summary\n"
    "  -h, --help                show this help and exit\n"
    "  -v, --version             show the version and exit\n"
    "\n"
    "Today is the GMT date, wherever the machine is: the service's days end at midnight\n"
    "GMT, and a day fetched before then (a running day) has its quotes up to then only; a\n"
    "running day without data yet is not a failure. A clock outside 1970-2069 is refused.\n"
    "On a terminal, a run of more than one day per symbol says its plan first.\n"
    "\n"
    "Requests go out one at a time, at least 1.51 seconds apart. The http_proxy and\n"
    "no_proxy environment variables are honoured. Progress goes to standard error; on a\n"
    "terminal one live line shows the day in hand, the time taken, the pace and the time\n"
    "left. The run ends with \"N saved, N skipped, N failed, N not done\".\n"
    "\n"
    "Exit status: 0 when every day was saved or skipped, 1 when some failed (they are\n"
    "listed) or a symbol or retry line was skipped, 2 for a usage error or a missing\n"
    "pellmark-page-body (nothing is fetched), 3 when a day file cannot be written (that day\n"
    "and the rest are listed), 4 when the quote service cannot be reached (two days in a\n"
    "row without any answer; the rest are listed as not done), 5 when another run is\n"
    "updating the folder (--update, --heal: nothing is fetched), 129, 130 and 143 when\n"
    "stopped by SIGHUP, SIGINT or SIGTERM (the day in hand and the rest are listed as not\n"
    "done, so --retry resumes the run).\n"
    "A link, FIFO or device at a name the run writes is left as it is and the write refused.\n";

} // namespace

std::string BatchUsage() {
    return std::string(kUsageStart) + std::string(ExportFlags::Help()) + kUsageEnd;
}

namespace {

// The longest date label, "10-Jun-05".
constexpr std::size_t kLongestLabel = 9;
// What most file systems hold in a name, less ".txt" and room to spare.
constexpr std::size_t kLongestItem = 200;

// A symbol names day files, so it must stay a plain name inside the save folder, short
// enough for the file system with the date label it is saved under.
std::optional<std::string> SymbolProblem(const QString& symbol,
                                         std::size_t labelLength = kLongestLabel) {
    if (const std::size_t bytes = symbol.toUtf8().size(); bytes + 1 + labelLength > kLongestItem)
        return "the symbol \"" + symbol.left(20).toStdString() +
               "...\" is too long to name a file (" + std::to_string(bytes) + " bytes; at most " +
               std::to_string(kLongestItem - 1 - labelLength) + ")";
    if (symbol.isEmpty())
        return "an empty symbol";
    if (HasControlCharacter(symbol))
        return "a symbol holds a control character";
    if (symbol.contains(u'/') || symbol == u"." || symbol == u"..")
        return "the symbol \"" + symbol.toStdString() + "\" cannot name a file";
    return std::nullopt;
}

// A label of the service's host name: letters, digits and hyphens inside.
bool IsHostLabel(const QString& label) {
    const auto plain = [](QChar c) {
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
    };
    return !label.isEmpty() && label.size() <= 63 && plain(label.front()) && plain(label.back()) &&
           std::all_of(label.begin(), label.end(), [&](QChar c) { return plain(c) || c == u'-'; });
}

class Parser {
public:
    Parser(const QStringList& arguments, QDate today) : today_(today) {
        options_.from = options_.to = today;
        options_.hostLabel = std::string(kDefaultHostLabel);
        Parse(arguments);
    }

    ParsedCommandLine Result() { return std::move(*outcome_); }

private:
    void Fail(std::string reason) {
        if (!outcome_)
            outcome_ = UsageError{std::move(reason)};
    }

    void Parse(const QStringList& arguments) {
        QCommandLineParser parser;
        const QCommandLineOption help(QStringList{"h", "help"});
        const QCommandLineOption version(QStringList{"v", "version"});
        const QCommandLineOption quiet(QStringList{"q", "quiet"});
        const QCommandLineOption forex("forex"), stocks("stocks"), indices("indices");
        const QCommandLineOption timeFirst("time-first"), skipSaved("skip-saved");
        const auto valued = [](const char* name) { return QCommandLineOption(name, {}, "value"); };
        const QCommandLineOption symbols = valued("symbols"), symbolsFile = valued("symbols-file"),
                                 from = valued("from"), to = valued("to"), out = valued("out"),
                                 sep = valued("sep"), host = valued("host"),
                                 errors = valued("errors"), retry = valued("retry"),
                                 csv = valued("csv");
        const QList<QCommandLineOption> withValue = {symbols, symbolsFile, from,   to,    out,
                                                     sep,     host,        errors, retry, csv};
        const ExportFlags exportFlags;
        parser.addOptions({help, version, quiet, forex, stocks, indices, timeFirst, skipSaved});
        parser.addOptions(withValue);
        parser.addOptions(exportFlags.Options());
        const QCommandLineOption update = valued("update"), heal("heal"),
                                 healRounds = valued("heal-rounds"), healAgain("heal-again"),
                                 healFrom = valued("heal-from"), only = valued("only"),
                                 dryRun("dry-run");
        parser.addOptions({update, heal, healRounds, healAgain, healFrom, only, dryRun});
        if (!parser.parse(arguments))
            return Fail(CommandLineError(parser));
        if (const auto repeated = RepeatedOption(
                parser, withValue + exportFlags.Options() +
                            QList<QCommandLineOption>{help, version, quiet, forex, stocks, indices,
                                                      timeFirst, skipSaved, update, heal,
                                                      healRounds, healAgain}))
            return Fail(*repeated);
        if (!parser.positionalArguments().isEmpty())
            return Fail("unexpected argument " +
                        parser.positionalArguments().front().toStdString());
        if (parser.isSet(help)) {
            outcome_ = PrintAndExit{BatchUsage()};
            return;
        }
        if (parser.isSet(version)) {
            outcome_ = PrintAndExit{VersionLine("pellmark-batch")};
            return;
        }
        for (const QCommandLineOption& option : withValue)
            if (option.names() != sep.names() && parser.isSet(option) &&
                parser.value(option).isEmpty())
                return Fail("option '--" + option.names().front().toStdString() +
                            "' needs a value");
        for (const QCommandLineOption& option : {out, errors, retry, csv, update, symbolsFile})
            if (const auto reason = UnexpandedHomeReason(parser.value(option)))
                return Fail("--" + option.names().front().toStdString() + " " + *reason);

        if (parser.isSet(forex) + parser.isSet(stocks) + parser.isSet(indices) > 1)
            return Fail("--forex, --stocks and --indices choose one category: give one");
        options_.category = parser.isSet(stocks)    ? Category::Stocks
                            : parser.isSet(indices) ? Category::Indices
                                                    : Category::Forex;
        options_.quiet = parser.isSet(quiet);
        options_.dryRun = parser.isSet(dryRun);
        options_.skipSaved = parser.isSet(skipSaved);
        if (parser.isSet(timeFirst))
            options_.lineOrder = LineOrder::TimeFirst;
        if (parser.isSet(out))
            options_.outDir = parser.value(out);
        options_.errorsFile = parser.value(errors);
        options_.retryFile = parser.value(retry);
        options_.csvDir = parser.value(csv);
        if (const auto refused = exportFlags.Take(parser, options_.exported))
            return Fail(*refused);
        if (const auto given = exportFlags.AnyGiven(parser);
            given && !parser.isSet(csv) && options_.exported.database.isEmpty())
            return Fail(*given + " goes with --csv or --sqlite");
        if (parser.isSet("layout") && !parser.isSet(csv))
            return Fail("--layout chooses the files of --csv: give --csv");
        if (parser.isSet(from) && !Day(parser.value(from), options_.from))
            return;
        if (parser.isSet(to) && !Day(parser.value(to), options_.to))
            return;
        if (parser.isSet(sep) && !Separator(parser.value(sep)))
            return;
        if (parser.isSet(host)) {
            if (!IsHostLabel(parser.value(host)))
                return Fail("--host takes a host label (letters, digits and inner hyphens): " +
                            parser.value(host).toStdString());
            options_.hostLabel = parser.value(host).toStdString();
        }
        // --update starts each symbol at its own files; --from only places new symbols.
        if (parser.isSet(update) && !parser.isSet(from))
            options_.from = std::min(options_.from, options_.to);
        if (CheckRange(options_.from, options_.to))
            return Fail("the start date is after the end date");
        if (CheckNotAfterToday(options_.to, today_))
            return Fail("the end date is after today: no quotes exist for it yet");
        if (!TakeUpdateOptions(parser, update, heal, healRounds, healAgain) ||
            !TakeUpdateFilters(parser, update, only, healFrom))
            return;
        if (parser.isSet(retry)) {
            if (parser.isSet(symbols) || parser.isSet(symbolsFile) || parser.isSet(from) ||
                parser.isSet(to))
                return Fail("--retry takes its days from its file, not from --symbols or a range");
            return TakeRetryFile();
        }
        if (parser.isSet(symbols) && parser.isSet(symbolsFile))
            return Fail("--symbols and --symbols-file cannot both be given");
        if (parser.isSet(symbols)) {
            for (const QString& symbol : parser.value(symbols).split(u','))
                options_.symbols.push_back(CleanedSymbol(symbol).toStdString());
        } else if (parser.isSet(symbolsFile)) {
            if (!TakeSymbolsFile(parser.value(symbolsFile)))
                return;
        } else if (options_.updateFolder.isEmpty()) {
            options_.symbols = DefaultSymbols(options_.category);
        }
        for (const std::string& symbol : options_.symbols)
            if (const auto problem = SymbolProblem(QString::fromStdString(symbol)))
                return Fail(*problem);
        if (options_.updateFolder.isEmpty() && CheckSymbols(options_.symbols))
            return Fail("no symbols to download");
        outcome_ = std::move(options_);
    }

    // --update takes the folder's own symbols, so the category's list is not the default then.
    bool TakeUpdateOptions(const QCommandLineParser& parser, const QCommandLineOption& update,
                           const QCommandLineOption& heal, const QCommandLineOption& healRounds,
                           const QCommandLineOption& healAgain) {
        options_.updateFolder = parser.value(update);
        options_.heal = parser.isSet(heal);
        options_.healAgain = parser.isSet(healAgain);
        if (parser.isSet(update) && options_.updateFolder.isEmpty())
            Fail("option --update needs a value");
        else if (parser.isSet(update) && parser.isSet("retry"))
            Fail("--update takes its days from the folder, not from --retry");
        else if (parser.isSet(update) && parser.isSet("out"))
            Fail("--update names the folder: leave out --out");
        else if (options_.heal && parser.isSet("retry"))
            Fail("--heal goes with --update or a range, not with --retry");
        else if ((parser.isSet(healRounds) || options_.healAgain) && !options_.heal)
            Fail("--heal-rounds and --heal-again go with --heal");
        if (parser.isSet(update))
            options_.outDir = options_.updateFolder;
        if (parser.isSet(healRounds)) {
            bool number = false;
            options_.healRounds = parser.value(healRounds).toInt(&number);
            if (!number || options_.healRounds < 0 || options_.healRounds > 20)
                Fail("--heal-rounds takes a number from 0 to 20: " +
                     parser.value(healRounds).toStdString());
        }
        return !outcome_;
    }

    // What narrows an update, and the options that would do nothing with it.
    bool TakeUpdateFilters(const QCommandLineParser& parser, const QCommandLineOption& update,
                           const QCommandLineOption& only, const QCommandLineOption& healFrom) {
        const bool newSymbols = parser.isSet("symbols") || parser.isSet("symbols-file");
        if (parser.isSet(only) && !parser.isSet(update))
            Fail("--only goes with --update");
        else if (parser.isSet(healFrom) && (!parser.isSet(update) || !options_.heal))
            Fail("--heal-from goes with --update and --heal");
        else if (parser.isSet(update) && parser.isSet("skip-saved"))
            Fail("--skip-saved does nothing with --update: every day it asks is one to fetch");
        else if (parser.isSet(update) && parser.isSet("from") && !newSymbols)
            Fail("--from only places the new symbols of --update: name them with --symbols");
        else if (parser.isSet(healFrom) && Day(parser.value(healFrom), options_.healFrom) &&
                 options_.healFrom > options_.to)
            Fail("--heal-from is after the end date");
        if (outcome_ || !parser.isSet(only))
            return !outcome_;
        for (const QString& symbol : parser.value(only).split(u','))
            options_.only.push_back(CleanedSymbol(symbol).toStdString());
        for (const std::string& symbol : options_.only)
            if (const auto problem = SymbolProblem(QString::fromStdString(symbol)))
                Fail("--only: " + *problem);
        return !outcome_;
    }

    bool Day(const QString& text, QDate& day) {
        day = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
        if (!day.isValid())
            Fail("not a date (YYYY-MM-DD): " + text.toStdString());
        else if (const auto reason = UnnameableDayReason(day))
            Fail(*reason);
        return !outcome_;
    }

    bool Separator(const QString& separator) {
        if (const auto refusal = CheckSeparator(separator))
            Fail(*refusal == InputRefusal::SeparatorTooLong
                     ? "the separator has more than 3 characters: \"" + separator.toStdString() +
                           "\""
                     : "the separator holds a control character");
        options_.separator = separator.toStdString();
        return !outcome_;
    }

    bool TakeSymbolsFile(const QString& path) {
        // Named on the command line, it may be a pipe from another program (<(...)).
        const pellmark::Result<std::string> text =
            ReadWholeFile(path, {.fifoStop = &StopSignals::StopAsked()});
        if (!text) {
            Fail("cannot read the symbols file " + path.toStdString() + ": " + text.reason());
            return false;
        }
        for (const std::string& line : SplitFileLines(*text))
            if (const QString symbol = CleanedSymbol(QString::fromStdString(line));
                !symbol.isEmpty())
                options_.symbols.push_back(symbol.toStdString());
        return true;
    }

    // A retry file is only made once something failed: before that, there is nothing to retry.
    void TakeRetryFile() {
        const std::string path = options_.retryFile.toStdString();
        if (!QFileInfo(options_.retryFile).exists() && !QFileInfo(options_.retryFile).isSymLink()) {
            options_.retryFileMissing = true;
            options_.notes.push_back("no retry file " + path + ": nothing to fetch again");
            outcome_ = std::move(options_);
            return;
        }
        const pellmark::Result<std::string> text = ReadWholeFile(options_.retryFile);
        if (!text)
            return Fail("cannot read the retry file " + path + ": " + text.reason());
        for (ListedItem& listed : ReadRetryList(*text, ListReading::Cleaned)) {
            const std::string where = path + ":" + std::to_string(listed.line) + ": ";
            // A line without a hyphen (a note, a pasted heading) names no item at all.
            if (listed.item.symbol.empty()) {
                options_.notes.push_back(where + "not an item (SYMBOL-d-mmm-yy): kept in the "
                                                 "file, not fetched");
                options_.retryNotItems.push_back(listed.text);
                continue;
            }
            if (const auto problem = SymbolProblem(QString::fromStdString(listed.item.symbol),
                                                   listed.item.dateLabel.size()))
                return Fail(where + *problem);
            pellmark::Result<DayItem> retried = RetryItem(listed.item, today_);
            if (retried) {
                options_.retryItems.push_back(std::move(*retried));
            } else {
                options_.notes.push_back(where + retried.reason() +
                                         ": kept in the file, not fetched");
                options_.retryKept.push_back(std::move(listed.item));
            }
        }
        options_.retryLinesRead = CountFileLines(*text);
        outcome_ = std::move(options_);
    }

    QDate today_;
    BatchOptions options_;
    std::optional<ParsedCommandLine> outcome_;
};

} // namespace

ParsedCommandLine ParseBatchCommandLine(const QStringList& arguments, QDate today) {
    return Parser(arguments, today).Result();
}

} // namespace pellmark
