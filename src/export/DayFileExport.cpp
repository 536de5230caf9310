#include "export/DayFileExport.h"

#include "core/DayFileName.h"
#include "core/DayFileRead.h"
#include "core/QuoteLine.h"
#include "core/WholeFiles.h"
#include "export/OhlcBars.h"

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

struct DayFile {
    QString path;
    QDate day;
};

// Per symbol, in symbol order; each symbol's files in date order.
using DayFilesBySymbol = std::map<QString, std::vector<DayFile>>;

// The first and the last day of every symbol in the folder, filters aside: what the folder
// holds, to tell when nothing in it is wanted.
struct DaySpan {
    QDate first;
    QDate last;
};
using FolderDays = std::map<QString, DaySpan>;

// Enough symbols to recognise the folder by without filling the screen.
constexpr int kSymbolsNamed = 5;

// The lines of one symbol that are not quotes: told line by line, unless none of the symbol's
// lines is read and the hint about their layout says all that matters.
struct BadLines {
    int count = 0;
    std::vector<std::optional<LineLayout>> guesses; // of the first kLinesBeforeLayoutHint
    std::vector<ExportProblem> told;
    std::optional<ExportProblem> hint;
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
                              FolderDays& folderDays, ExportReport& report) {
    const QDir folder(options.folder);
    DayFilesBySymbol found;
    if (!folder.isReadable()) {
        report.problems.push_back({options.folder, 0, QStringLiteral("cannot read the folder")});
        return found;
    }
    // Hidden files are left out: a run saves through hidden temporary files. FIFOs, devices,
    // folders and dangling links are listed, so that one named like a day file is reported,
    // not passed over.
    const QStringList names = folder.entryList(
        {QStringLiteral("*.txt")}, QDir::Files | QDir::System | QDir::Dirs | QDir::NoDotAndDotDot,
        QDir::Name);
    for (const QString& name : names) {
        const std::optional<DayFileName> dayFile = ParseDayFileName(name);
        if (!dayFile && options.ownFiles.contains(name))
            continue;
        if (!dayFile) {
            report.notes.push_back(
                {folder.filePath(name), 0,
                 QStringLiteral("not a day file name (SYMBOL-d-mmm-yy.txt), skipped")});
            continue;
        }
        DaySpan& span = folderDays[dayFile->symbol];
        span.first = span.first.isValid() ? std::min(span.first, dayFile->day) : dayFile->day;
        span.last = std::max(span.last, dayFile->day);
        if (Wanted(*dayFile, options, symbols))
            found[dayFile->symbol].push_back({folder.filePath(name), dayFile->day});
    }
    // Every day has one file name only, so no two files of a symbol share a date.
    for (auto& [symbol, files] : found) {
        std::sort(files.begin(), files.end(),
                  [](const DayFile& a, const DayFile& b) { return a.day < b.day; });
    }
    return found;
}

QString IsoDay(QDate day) {
    return day.toString(Qt::ISODate);
}

// What the folder holds when none of it is wanted: no day files at all, none of the symbols
// asked for, or none of their days in the range.
QString NothingToExport(const ExportOptions& options, const FolderDays& folderDays) {
    if (folderDays.empty())
        return QStringLiteral("no day files (SYMBOL-d-mmm-yy.txt) here, nothing to export");
    QStringList held;
    DaySpan span;
    for (const auto& [symbol, days] : folderDays) {
        if (!options.symbols.isEmpty() && !options.symbols.contains(symbol))
            continue;
        held << symbol;
        span.first = span.first.isValid() ? std::min(span.first, days.first) : days.first;
        span.last = std::max(span.last, days.last);
    }
    if (held.isEmpty()) {
        for (const auto& [symbol, days] : folderDays)
            held << symbol;
        const qsizetype more = held.size() - kSymbolsNamed;
        return "no day files of " + options.symbols.join(QStringLiteral(", ")) +
               " (the folder holds " + held.mid(0, kSymbolsNamed).join(QStringLiteral(", ")) +
               (more > 0 ? QStringLiteral(" and %1 more").arg(more) : QString()) +
               "), nothing to export";
    }
    // Only a range leaves out every day of a symbol the folder holds.
    const QString range = !options.to.isValid() ? "from " + IsoDay(options.from) + " on"
                          : !options.from.isValid()
                              ? "up to " + IsoDay(options.to)
                              : "from " + IsoDay(options.from) + " to " + IsoDay(options.to);
    return "no day files " + range + " (the days run from " + IsoDay(span.first) + " to " +
           IsoDay(span.last) + "), nothing to export";
}

// Appends the day's rows (or bars) to csv in time order and returns how many quotes it
// held; lines that are not quotes become problems.
long long AppendDay(const DayFile& file, std::string_view text, const ExportOptions& options,
                    const QString& layoutText, BadLines& badLines, QByteArray& csv) {
    std::vector<Quote> quotes;
    int badInFile = 0;
    ForEachDayFileLine(text, [&](std::string_view line, int lineNumber) {
        if (const std::optional<Quote> quote =
                SplitQuoteLine(line, options.order, options.separator)) {
            quotes.push_back(*quote);
            return;
        }
        if (++badInFile <= kLinesReportedPerFile)
            badLines.told.push_back(
                {file.path, lineNumber, QStringLiteral("not a quote line \"%1\"").arg(layoutText)});
        if (++badLines.count <= kLinesBeforeLayoutHint) {
            badLines.guesses.push_back(GuessLayout(line));
            if (badLines.count == kLinesBeforeLayoutHint) {
                if (const std::optional<std::string> hint =
                        LayoutHint(badLines.guesses, options.order, options.separator))
                    badLines.hint = ExportProblem{file.path, 0, QString::fromStdString(*hint)};
            }
        }
    });
    if (badInFile > kLinesReportedPerFile)
        badLines.told.push_back({file.path, 0,
                                 QStringLiteral("%1 more lines that are not quote lines")
                                     .arg(badInFile - kLinesReportedPerFile)});

    // "HH:MM" sorts as text; the stable sort keeps equal times in file order. A run writes
    // its files in time order, so most need no sorting.
    const auto earlier = [](const Quote& a, const Quote& b) { return a.time < b.time; };
    if (!std::is_sorted(quotes.begin(), quotes.end(), earlier))
        std::stable_sort(quotes.begin(), quotes.end(), earlier);
    // Dates, times and checked prices hold no comma, quote or line break, so no field
    // ever needs quoting.
    const QByteArray date = file.day.toString(Qt::ISODate).toLatin1();
    if (options.barMinutes > 0) {
        AppendBars(csv, date, quotes, options.barMinutes);
    } else {
        // Gathered first and appended once: appending field by field to the CSV cost more
        // than reading the lines.
        std::string rows;
        rows.reserve(quotes.size() * (static_cast<std::size_t>(date.size()) + 20));
        for (const Quote& quote : quotes) {
            rows.append(date.constData(), static_cast<std::size_t>(date.size())) += ',';
            rows.append(quote.time) += ',';
            rows.append(quote.price) += "\r\n";
        }
        csv.append(rows.data(), static_cast<qsizetype>(rows.size()));
    }
    return static_cast<long long>(quotes.size());
}

struct SymbolCsv {
    QByteArray bytes;
    long long quotes = 0;
    QDate first, last; // of the days that gave rows
    BadLines badLines;
};

// Empty when a stop was asked for before every file was read.
std::optional<SymbolCsv> BuildSymbolCsv(const std::vector<DayFile>& files,
                                        const ExportOptions& options, ExportReport& report) {
    const std::string_view header = options.barMinutes > 0 ? kBarsCsvHeader : kCsvHeader;
    SymbolCsv csv;
    csv.bytes = QByteArray(header.data(), static_cast<qsizetype>(header.size()));
    const QString layoutText = QString::fromStdString(LayoutText(options.order, options.separator));
    for (const DayFile& file : files) {
        if (StopAsked(options))
            return std::nullopt;
        const Result<std::string> read = ReadDayFile(file.path);
        if (!read) {
            report.problems.push_back(
                {file.path, 0, "unreadable: " + QString::fromStdString(read.reason())});
            ++report.filesSkipped;
            continue;
        }
        ++report.dayFilesRead;
        if (const long long quotes =
                AppendDay(file, *read, options, layoutText, csv.badLines, csv.bytes)) {
            csv.quotes += quotes;
            csv.first = csv.first.isValid() ? csv.first : file.day;
            csv.last = file.day;
        }
    }
    report.linesSkipped += csv.badLines.count;
    return csv;
}

} // namespace

ExportReport ExportDayFiles(const ExportOptions& options) {
    ExportReport report;
    const QSet<QString> symbols(options.symbols.begin(), options.symbols.end());
    FolderDays folderDays;
    const DayFilesBySymbol bySymbol = FindDayFiles(options, symbols, folderDays, report);
    QSet<QString> listedMissing;
    for (const QString& symbol : options.symbols) {
        if (!bySymbol.contains(symbol) && !listedMissing.contains(symbol)) {
            listedMissing.insert(symbol);
            report.symbolsWithoutDayFiles.append(symbol);
        }
    }
    if (bySymbol.empty()) {
        if (report.problems.empty())
            report.problems.push_back({options.folder, 0, NothingToExport(options, folderDays)});
        return report;
    }

    const QDir outDir(options.outDir);
    outDir.mkpath(QStringLiteral("."));
    WholeFiles csvFiles(options.outDir);
    std::map<QString, std::pair<ExportedCsv, long long>> byPath; // and the quotes it holds
    for (const auto& [symbol, files] : bySymbol) {
        const std::optional<SymbolCsv> csv = BuildSymbolCsv(files, options, report);
        if (!csv || StopAsked(options)) {
            report.stopped = true;
            return report;
        }
        const QString name =
            symbol + (options.barMinutes > 0 ? "-" + BarLengthName(options.barMinutes) : "") +
            ".csv";
        const QString path = outDir.filePath(name);
        const BadLines& bad = csv->badLines;
        if (csv->quotes == 0 && bad.hint) {
            // Files saved in another layout: one line says which, not one per line.
            report.problems.push_back({path, 0, "not written: " + bad.hint->reason});
            continue;
        }
        report.problems.insert(report.problems.end(), bad.told.begin(), bad.told.end());
        if (bad.hint)
            report.problems.push_back(*bad.hint);
        if (csv->quotes == 0) {
            report.notes.push_back(
                {path, 0, QStringLiteral("not written: the day files hold no quotes")});
            continue;
        }
        if (const Done added =
                csvFiles.Add(name, std::string_view(csv->bytes.constData(),
                                                    static_cast<std::size_t>(csv->bytes.size())));
            !added) {
            report.problems.push_back(
                {path, 0, "cannot write: " + QString::fromStdString(added.reason())});
            continue;
        }
        // Every row ends in a line break, the header's too.
        byPath[path] = {{path, csv->bytes.count('\n') - 1, csv->first, csv->last}, csv->quotes};
    }
    // A stop that came while the last CSV was written still comes before any takes its name.
    if (StopAsked(options)) {
        report.stopped = true;
        return report;
    }
    const WholeFiles::Outcome written = csvFiles.Commit();
    for (const WholeFiles::Unwritten& file : written.unwritten)
        report.problems.push_back(
            {file.path, 0, "cannot write: " + QString::fromStdString(file.reason)});
    for (const QString& path : written.written) {
        report.csvFiles.push_back(byPath[path].first);
        report.quotesExported += byPath[path].second;
    }
    // A stop that came while the CSVs took their names still ends the program as stopped.
    report.stopped = StopAsked(options);
    return report;
}

QString ProblemText(const ExportProblem& problem) {
    if (problem.line == 0)
        return problem.file + ": " + problem.reason;
    return QStringLiteral("%1:%2: %3").arg(problem.file).arg(problem.line).arg(problem.reason);
}

QString WrittenText(const ExportedCsv& csv) {
    const QString days =
        csv.first == csv.last ? IsoDay(csv.first) : IsoDay(csv.first) + " to " + IsoDay(csv.last);
    return QStringLiteral("%1: %2 %3, %4")
        .arg(csv.path)
        .arg(csv.rows)
        .arg(csv.rows == 1 ? "row" : "rows", days);
}

} // namespace pellmark
