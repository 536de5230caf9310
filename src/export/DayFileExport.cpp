#include "export/DayFileExport.h"

#include "core/DayFileName.h"
#include "core/DayFileRead.h"
#include "core/WholeFile.h"
#include "export/OhlcBars.h"
#include "export/QuoteLine.h"

#include <QDir>
#include <QSet>

#include <algorithm>
#include <map>
#include <optional>
#include <string_view>
#include <variant>

namespace pellmark {
namespace {

constexpr std::string_view kCsvHeader = "date,time,price\r\n";
// An 8 MB file of empty lines would otherwise give a million messages.
constexpr int kLinesReportedPerFile = 10;
// Enough lines for a guess at their layout not to rest on a stray one.
constexpr int kLinesBeforeLayoutHint = 10;

struct DayFile {
    QString path;
    QDate day;
};

// Per symbol, in symbol order; each symbol's files in date order.
using DayFilesBySymbol = std::map<QString, std::vector<DayFile>>;

// The lines of one symbol that are not quotes, kept for the hint about their layout.
struct BadLines {
    int count = 0;
    std::vector<std::optional<LineLayout>> guesses; // of the first kLinesBeforeLayoutHint
};

bool StopAsked(const ExportOptions& options) {
    return options.stop != nullptr && options.stop->load(std::memory_order_relaxed);
}

bool Wanted(const DayFileName& name, const ExportOptions& options, const QSet<QString>& symbols) {
    return (symbols.isEmpty() || symbols.contains(name.symbol)) &&
           (!options.from.isValid() || name.day >= options.from) &&
           (!options.to.isValid() || name.day <= options.to);
}

DayFilesBySymbol FindDayFiles(const ExportOptions& options, const QSet<QString>& symbols,
                              ExportReport& report) {
    const QDir folder(options.folder);
    DayFilesBySymbol found;
    if (!folder.isReadable()) {
        report.problems.push_back({options.folder, 0, QStringLiteral("cannot read the folder")});
        return found;
    }
    // Hidden files are left out: a run saves through hidden temporary files. FIFOs and
    // devices are listed, so that one named like a day file is reported, not passed over.
    const QStringList names =
        folder.entryList({QStringLiteral("*.txt")}, QDir::Files | QDir::System, QDir::Name);
    for (const QString& name : names) {
        const std::optional<DayFileName> dayFile = ParseDayFileName(name);
        if (!dayFile) {
            report.notes.push_back(
                {folder.filePath(name), 0,
                 QStringLiteral("not a day file name (SYMBOL-d-mmm-yy.txt), skipped")});
        } else if (Wanted(*dayFile, options, symbols)) {
            found[dayFile->symbol].push_back({folder.filePath(name), dayFile->day});
        }
    }
    // Every day has one file name only, so no two files of a symbol share a date.
    for (auto& [symbol, files] : found) {
        std::sort(files.begin(), files.end(),
                  [](const DayFile& a, const DayFile& b) { return a.day < b.day; });
    }
    return found;
}

// Single quotes for the shell, so that the user can paste the option as it stands.
QString ShellQuoted(const std::string& text) {
    return "'" + QString::fromStdString(text).replace(u'\'', QStringLiteral("'\\''")) + "'";
}

} // namespace

std::optional<QString> LayoutHint(const std::vector<std::optional<LineLayout>>& guesses,
                                  LineOrder order, const std::string& separator) {
    std::optional<LineLayout> common;
    std::size_t agreeing = 0;
    for (const std::optional<LineLayout>& guess : guesses) {
        const auto same =
            static_cast<std::size_t>(std::count(guesses.begin(), guesses.end(), guess));
        if (guess && same > agreeing) {
            common = guess;
            agreeing = same;
        }
    }
    if (!common || agreeing * 2 <= guesses.size())
        return std::nullopt;
    const bool orderDiffers = common->order != order;
    const bool separatorDiffers = common->separator != separator;
    if (!orderDiffers && !separatorDiffers)
        return std::nullopt;

    const bool timeFirst = common->order == LineOrder::TimeFirst;
    QString looks =
        timeFirst ? QStringLiteral("TIME then PRICE") : QStringLiteral("PRICE then TIME");
    QStringList fixes;
    if (separatorDiffers) {
        looks +=
            QStringLiteral(" with \"%1\" between").arg(QString::fromStdString(common->separator));
        fixes << "--sep " + ShellQuoted(common->separator);
    }
    if (orderDiffers && timeFirst)
        fixes.prepend(QStringLiteral("--time-first"));
    if (orderDiffers && !timeFirst)
        fixes.append(QStringLiteral("without --time-first"));
    return "these lines look like " + looks + ": try " + fixes.join(u' ');
}

namespace {

// Appends the day's rows (or bars) to csv in time order and returns how many quotes it
// held; lines that are not quotes become problems.
long long AppendDay(const DayFile& file, std::string_view text, const ExportOptions& options,
                    const QString& layoutText, BadLines& badLines, ExportReport& report,
                    QByteArray& csv) {
    std::vector<Quote> quotes;
    int lineNumber = 0;
    int badInFile = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", start);
        const std::string_view line = text.substr(start, end - start);
        ++lineNumber;
        if (const std::optional<Quote> quote =
                SplitQuoteLine(line, options.order, options.separator)) {
            quotes.push_back(*quote);
        } else {
            if (++badInFile <= kLinesReportedPerFile)
                report.problems.push_back(
                    {file.path, lineNumber,
                     QStringLiteral("not a quote line \"%1\"").arg(layoutText)});
            if (++badLines.count <= kLinesBeforeLayoutHint) {
                badLines.guesses.push_back(GuessLayout(line));
                if (badLines.count == kLinesBeforeLayoutHint) {
                    if (const std::optional<QString> hint =
                            LayoutHint(badLines.guesses, options.order, options.separator))
                        report.problems.push_back({file.path, 0, *hint});
                }
            }
        }
        if (end == std::string_view::npos)
            break;
        start = end + (text.substr(end, 2) == "\r\n" ? 2 : 1);
    }
    if (badInFile > kLinesReportedPerFile)
        report.problems.push_back({file.path, 0,
                                   QStringLiteral("%1 more lines that are not quote lines")
                                       .arg(badInFile - kLinesReportedPerFile)});
    report.linesSkipped += badInFile;

    // "HH:MM" sorts as text; the stable sort keeps equal times in file order.
    std::stable_sort(quotes.begin(), quotes.end(),
                     [](const Quote& a, const Quote& b) { return a.time < b.time; });
    // Dates, times and checked prices hold no comma, quote or line break, so no field
    // ever needs quoting.
    const QByteArray date = file.day.toString(Qt::ISODate).toLatin1();
    if (options.barMinutes > 0) {
        AppendBars(csv, date, quotes, options.barMinutes);
    } else {
        for (const Quote& quote : quotes) {
            csv.append(date).append(',');
            csv.append(quote.time.data(), static_cast<qsizetype>(quote.time.size())).append(',');
            csv.append(quote.price.data(), static_cast<qsizetype>(quote.price.size()))
                .append("\r\n");
        }
    }
    return static_cast<long long>(quotes.size());
}

struct SymbolCsv {
    QByteArray bytes;
    long long quotes = 0;
};

// Empty when a stop was asked for before every file was read.
std::optional<SymbolCsv> BuildSymbolCsv(const std::vector<DayFile>& files,
                                        const ExportOptions& options, ExportReport& report) {
    const std::string_view header = options.barMinutes > 0 ? kBarsCsvHeader : kCsvHeader;
    SymbolCsv csv{QByteArray(header.data(), static_cast<qsizetype>(header.size()))};
    const QString layoutText = QString::fromStdString(LayoutText(options.order, options.separator));
    BadLines badLines;
    for (const DayFile& file : files) {
        if (StopAsked(options))
            return std::nullopt;
        std::variant<std::string, QString> read = ReadDayFile(file.path);
        if (const QString* reason = std::get_if<QString>(&read)) {
            report.problems.push_back({file.path, 0, *reason});
            ++report.filesSkipped;
            continue;
        }
        ++report.dayFilesRead;
        csv.quotes += AppendDay(file, std::get<std::string>(read), options, layoutText, badLines,
                                report, csv.bytes);
    }
    return csv;
}

} // namespace

ExportReport ExportDayFiles(const ExportOptions& options) {
    ExportReport report;
    const QSet<QString> symbols(options.symbols.begin(), options.symbols.end());
    const DayFilesBySymbol bySymbol = FindDayFiles(options, symbols, report);
    QSet<QString> listedMissing;
    for (const QString& symbol : options.symbols) {
        if (!bySymbol.contains(symbol) && !listedMissing.contains(symbol)) {
            listedMissing.insert(symbol);
            report.symbolsWithoutDayFiles.append(symbol);
        }
    }
    if (bySymbol.empty())
        return report;

    const QDir outDir(options.outDir);
    outDir.mkpath(QStringLiteral("."));
    for (const auto& [symbol, files] : bySymbol) {
        const std::optional<SymbolCsv> csv = BuildSymbolCsv(files, options, report);
        if (!csv || StopAsked(options)) {
            report.stopped = true;
            return report;
        }
        const QString path = outDir.filePath(symbol + ".csv");
        if (csv->quotes == 0) {
            report.notes.push_back(
                {path, 0, QStringLiteral("not written: the day files hold no quotes")});
            continue;
        }
        if (const std::optional<std::string> reason = WriteWholeFile(
                path, std::string_view(csv->bytes.constData(),
                                       static_cast<std::size_t>(csv->bytes.size())))) {
            report.problems.push_back(
                {path, 0, "cannot write: " + QString::fromStdString(*reason)});
            continue;
        }
        report.csvFiles.append(path);
        report.quotesExported += csv->quotes;
    }
    return report;
}

QString ProblemText(const ExportProblem& problem) {
    if (problem.line == 0)
        return problem.file + ": " + problem.reason;
    return QStringLiteral("%1:%2: %3").arg(problem.file).arg(problem.line).arg(problem.reason);
}

} // namespace pellmark
