#include "CommandLine.h"

#include <QFile>
#include <QStringList>

#include <optional>
#include <string_view>
#include <vector>

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

What to export (default: every day of every symbol in FOLDER):
      --symbols LIST     only these symbols, comma separated, exact names
      --from YYYY-MM-DD  only days from this one on
      --to YYYY-MM-DD    only days up to this one

      --help             display this help and exit
      --version          output version information and exit

A line that is not a time and a price in the given layout, and a .txt file whose
name is not a day file's, is reported on standard error with the file and line
number, and is never written as data. OUTDIR is created when missing; each CSV is
written whole or not at all, and an existing one is replaced.

Exit status:
 0  if every day file was read in full,
 1  if some lines or files were skipped or a CSV could not be written (the other
      CSVs are still written),
 2  if the command line is wrong.
)";

namespace {

std::optional<QDate> IsoDate(std::string_view text) {
    const QDate day = QDate::fromString(QString::fromLatin1(text), Qt::ISODate);
    if (text.size() != 10 || !day.isValid())
        return std::nullopt;
    return day;
}

const QStringList kValueOptions = {"--sep", "--symbols", "--from", "--to"};

// Reads one of kValueOptions and its value into the command line; false with line.error
// set when the value is bad.
bool ReadOption(std::string_view name, std::string_view value, CommandLine& line) {
    ExportOptions& options = line.options;
    if (name == "--sep") {
        options.separator = std::string(value);
    } else if (name == "--symbols") {
        options.symbols = QString::fromLocal8Bit(value).split(u',', Qt::SkipEmptyParts);
        options.symbols.removeDuplicates();
        if (options.symbols.isEmpty())
            line.error = QStringLiteral("--symbols needs at least one symbol");
    } else if (name == "--from" || name == "--to") {
        const std::optional<QDate> day = IsoDate(value);
        (name == "--from" ? options.from : options.to) = day.value_or(QDate());
        if (!day)
            line.error = QStringLiteral("%1 needs a date YYYY-MM-DD, not '%2'")
                             .arg(QString::fromLatin1(name), QString::fromLocal8Bit(value));
    }
    return line.error.isEmpty();
}

CommandLine UsageError(CommandLine line, const QString& error) {
    line.action = CommandLine::Action::UsageError;
    line.error = error;
    return line;
}

} // namespace

CommandLine ParseCommandLine(int argc, char** argv) {
    CommandLine line;
    std::vector<QString> operands;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (optionsEnded || arg == "-" || !arg.starts_with("-")) {
            operands.push_back(QFile::decodeName(argv[i]));
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help") {
            line.action = CommandLine::Action::Help;
            return line;
        } else if (arg == "--version") {
            line.action = CommandLine::Action::Version;
            return line;
        } else if (arg == "--time-first") {
            line.options.order = LineOrder::TimeFirst;
        } else {
            const std::size_t equals = arg.find('=');
            const std::string_view name = arg.substr(0, equals);
            const QString nameText = QString::fromLocal8Bit(name);
            if (!kValueOptions.contains(nameText))
                return UsageError(line, QStringLiteral("unknown option '%1'").arg(nameText));
            std::string_view value;
            if (equals != std::string_view::npos)
                value = arg.substr(equals + 1);
            else if (i + 1 < argc)
                value = argv[++i];
            else
                return UsageError(line, QStringLiteral("option '%1' needs a value").arg(nameText));
            if (!ReadOption(name, value, line))
                return UsageError(line, line.error);
        }
    }
    if (operands.size() != 2)
        return UsageError(line, QStringLiteral("expected FOLDER and OUTDIR"));
    if (line.options.from.isValid() && line.options.to.isValid() &&
        line.options.from > line.options.to)
        return UsageError(line, QStringLiteral("--from is after --to"));
    line.options.folder = operands[0];
    line.options.outDir = operands[1];
    return line;
}

} // namespace pellmark
