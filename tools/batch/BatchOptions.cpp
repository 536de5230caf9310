#include "BatchOptions.h"

#include "core/DefaultSymbols.h"
#include "core/FailedItems.h"
#include "quote/PageText.h"
#include "quote/QuoteService.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <functional>
#include <map>

namespace pellmark {

const char* const kBatchUsage =
    "Usage: pellmark-batch [OPTION]...\n"
    "Download historical intraday prices from the quote service into one text file per\n"
    "symbol and week-day, newest day first, as the Pellmark window does.\n"
    "\n"
    "What to download:\n"
    "      --forex               currency pairs (the default category)\n"
    "      --stocks              stocks\n"
    "      --indices             indices\n"
    "      --symbols A,B,C       the symbols, comma-separated (default: the category's list)\n"
    "      --symbols-file FILE   the symbols, one per line (blank lines are skipped)\n"
    "      --from YYYY-MM-DD     the first day of the range (default: today)\n"
    "      --to YYYY-MM-DD       the last day of the range (default: today; not after today)\n"
    "      --retry FILE          fetch the failed items listed in FILE (SYMBOL-d-mmm-yy, one\n"
    "                            per line) instead of a range; FILE is then rewritten with\n"
    "                            the items that still fail\n"
    "\n"
    "Where and how:\n"
    "      --out DIR             the folder for the day files (default: the current folder;\n"
    "                            created when missing)\n"
    "      --time-first          write time then price (default: price then time)\n"
    "      --sep TEXT            the separator between them, at most 3 characters\n"
    "                            (default: \" - \")\n"
    "      --host LABEL          the service's host label (default: www)\n"
    "      --skip-saved          do not fetch a day whose file is already in DIR\n"
    "      --errors FILE         append failed items to FILE, each followed by CR LF\n"
    "                            (default: print them on standard output at the end)\n"
    "      --csv OUTDIR          when the run has ended, export the run's symbols as one CSV\n"
    "                            per symbol into OUTDIR, as pellmark-export does\n"
    "      --help                show this help and exit\n"
    "      --version             show the version and exit\n"
    "\n"
    "Requests go out one at a time, at least 1.51 seconds apart. The http_proxy and\n"
    "no_proxy environment variables are honoured. Progress goes to standard error.\n"
    "\n"
    "Exit status: 0 when every day was saved or skipped, 1 when some failed (they are\n"
    "listed), 2 for a usage error, 3 when a day file cannot be written (that day and the\n"
    "rest are listed as failed), 130 and 143 when stopped by SIGINT or SIGTERM (the day in\n"
    "hand and the rest are listed as failed, so --retry resumes the run).\n"
    "\n"
    "Example, every week-day night at 23:30, resuming what failed before:\n"
    "  30 23 * * 1-5  cd /data/fx && pellmark-batch --retry failed.txt; pellmark-batch "
    "--errors failed.txt --skip-saved\n";

namespace {

std::vector<std::string> SplitAtCommas(const std::string& text) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t comma; (comma = text.find(',', start)) != std::string::npos; start = comma + 1)
        parts.push_back(text.substr(start, comma - start));
    parts.push_back(text.substr(start));
    return parts;
}

bool HasControlCharacter(const std::string& text) {
    return std::any_of(text.begin(), text.end(),
                       [](unsigned char c) { return c < 0x20 || c == 0x7f; });
}

std::optional<std::string> ReadTextFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes.toStdString();
}

std::optional<QDate> ParseDay(const std::string& text) {
    const QDate day = QDate::fromString(QString::fromStdString(text), QStringLiteral("yyyy-MM-dd"));
    return day.isValid() ? std::optional<QDate>(day) : std::nullopt;
}

class Parser {
public:
    Parser(const std::vector<std::string>& arguments, QDate today) : today_(today) {
        options_.from = options_.to = today;
        options_.hostLabel = std::string(kDefaultHostLabel);
        for (std::size_t i = 0; i < arguments.size() && !outcome_; ++i)
            Take(arguments, i);
    }

    ParsedCommandLine Result() {
        if (!outcome_)
            Finish();
        return std::move(*outcome_);
    }

private:
    void Fail(std::string reason) {
        if (!outcome_)
            outcome_ = UsageError{std::move(reason)};
    }

    // --name VALUE or --name=VALUE
    void Take(const std::vector<std::string>& arguments, std::size_t& i) {
        std::string name = arguments[i];
        std::optional<std::string> value;
        if (const auto equals = name.find('=');
            name.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = name.substr(equals + 1);
            name.resize(equals);
        }
        const std::map<std::string, std::function<void()>> flags = {
            {"--help", [&] { outcome_ = PrintAndExit{kBatchUsage}; }},
            {"--version", [&] { outcome_ = PrintAndExit{"pellmark-batch 1.0\n"}; }},
            {"--forex", [&] { options_.category = Category::Forex; }},
            {"--stocks", [&] { options_.category = Category::Stocks; }},
            {"--indices", [&] { options_.category = Category::Indices; }},
            {"--time-first", [&] { options_.lineOrder = LineOrder::TimeFirst; }},
            {"--skip-saved", [&] { options_.skipSaved = true; }},
        };
        const std::map<std::string, std::function<void(const std::string&)>> valued = {
            {"--symbols", [&](const std::string& v) { symbolsGiven_ = SplitAtCommas(v); }},
            {"--symbols-file",
             [&](const std::string& v) { symbolsFile_ = QString::fromStdString(v); }},
            {"--from", [&](const std::string& v) { Day(v, options_.from, rangeGiven_); }},
            {"--to", [&](const std::string& v) { Day(v, options_.to, rangeGiven_); }},
            {"--out", [&](const std::string& v) { options_.outDir = QString::fromStdString(v); }},
            {"--sep", [&](const std::string& v) { options_.separator = v; }},
            {"--host", [&](const std::string& v) { options_.hostLabel = v; }},
            {"--errors",
             [&](const std::string& v) { options_.errorsFile = QString::fromStdString(v); }},
            {"--retry",
             [&](const std::string& v) { options_.retryFile = QString::fromStdString(v); }},
            {"--csv", [&](const std::string& v) { options_.csvDir = QString::fromStdString(v); }},
        };
        if (const auto flag = flags.find(name); flag != flags.end() && !value) {
            flag->second();
        } else if (const auto option = valued.find(name); option != valued.end()) {
            if (!value && i + 1 < arguments.size())
                value = arguments[++i];
            if (!value)
                return Fail("option " + name + " needs a value");
            if (value->empty() && name != "--sep")
                return Fail("option " + name + " needs a value");
            option->second(*value);
        } else {
            Fail("unknown option " + arguments[i]);
        }
    }

    void Day(const std::string& text, QDate& day, bool& given) {
        const auto parsed = ParseDay(text);
        if (!parsed)
            return Fail("not a date (YYYY-MM-DD): " + text);
        day = *parsed;
        given = true;
    }

    void Finish() {
        if (options_.separator.size() > 3)
            return Fail("the separator has more than 3 characters: \"" + options_.separator + "\"");
        if (HasControlCharacter(options_.separator))
            return Fail("the separator holds a control character");
        if (options_.from > options_.to)
            return Fail("the start date is after the end date");
        if (options_.to > today_)
            return Fail("the end date is after today: no quotes exist for it yet");
        if (!options_.retryFile.isEmpty())
            return FinishRetry();
        if (symbolsGiven_ && !symbolsFile_.isEmpty())
            return Fail("--symbols and --symbols-file cannot both be given");
        if (symbolsGiven_) {
            options_.symbols = *symbolsGiven_;
        } else if (!symbolsFile_.isEmpty()) {
            const auto text = ReadTextFile(symbolsFile_);
            if (!text)
                return Fail("cannot read the symbols file " + symbolsFile_.toStdString());
            for (std::string& line : SplitLines(*text))
                if (!line.empty())
                    options_.symbols.push_back(std::move(line));
        } else {
            options_.symbols = DefaultSymbols(options_.category);
        }
        if (options_.symbols.empty())
            return Fail("no symbols to download");
        outcome_ = std::move(options_);
    }

    void FinishRetry() {
        if (symbolsGiven_ || !symbolsFile_.isEmpty() || rangeGiven_)
            return Fail("--retry takes its days from its file, not from --symbols or a range");
        const auto text = ReadTextFile(options_.retryFile);
        if (!text)
            return Fail("cannot read the retry file " + options_.retryFile.toStdString());
        for (const std::string& line : SplitLines(*text))
            options_.retryItems.push_back(ParseFailedItem(line));
        outcome_ = std::move(options_);
    }

    QDate today_;
    BatchOptions options_;
    std::optional<std::vector<std::string>> symbolsGiven_;
    QString symbolsFile_;
    bool rangeGiven_ = false;
    std::optional<ParsedCommandLine> outcome_;
};

} // namespace

ParsedCommandLine ParseBatchCommandLine(const std::vector<std::string>& arguments, QDate today) {
    return Parser(arguments, today).Result();
}

} // namespace pellmark
