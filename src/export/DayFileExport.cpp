#include "export/DayFileExport.h"

#include "export/DayFileName.h"
#include "export/QuoteLine.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <map>
#include <string_view>

namespace pellmark {
namespace {

constexpr std::string_view kCsvHeader = "date,time,price\r\n";

struct DayFile {
    QString path;
    QDate day;
};

// Per symbol, in symbol order; each symbol's files in date order.
using DayFilesBySymbol = std::map<QString, std::vector<DayFile>>;

bool Wanted(const DayFileName& name, const ExportOptions& options) {
    return (options.symbols.isEmpty() || options.symbols.contains(name.symbol)) &&
           (!options.from.isValid() || name.day >= options.from) &&
           (!options.to.isValid() || name.day <= options.to);
}

DayFilesBySymbol FindDayFiles(const ExportOptions& options, ExportReport& report) {
    const QDir folder(options.folder);
    DayFilesBySymbol found;
    if (!folder.isReadable()) {
        report.problems.push_back({options.folder, 0, QStringLiteral("cannot read the folder")});
        return found;
    }
    // Hidden files are left out: a run saves through hidden temporary files.
    const QStringList names = folder.entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name);
    for (const QString& name : names) {
        const std::optional<DayFileName> dayFile = ParseDayFileName(name);
        if (!dayFile) {
            report.problems.push_back(
                {folder.filePath(name), 0,
                 QStringLiteral("not a day file name (SYMBOL-d-mmm-yy.txt)")});
            ++report.filesSkipped;
        } else if (Wanted(*dayFile, options)) {
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

// Appends the day's rows to csv in time order; lines that are not quotes become problems.
void AppendDay(const DayFile& file, std::string_view text, const ExportOptions& options,
               ExportReport& report, QByteArray& csv) {
    std::vector<Quote> quotes;
    int lineNumber = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", start);
        const std::string_view line = text.substr(start, end - start);
        ++lineNumber;
        if (const std::optional<Quote> quote =
                SplitQuoteLine(line, options.order, options.separator))
            quotes.push_back(*quote);
        else
            report.problems.push_back(
                {file.path, lineNumber,
                 QStringLiteral("not a quote line \"%1\"")
                     .arg(QString::fromStdString(LayoutText(options.order, options.separator)))});
        if (end == std::string_view::npos)
            break;
        start = end + (text.substr(end, 2) == "\r\n" ? 2 : 1);
    }
    report.linesSkipped += lineNumber - static_cast<int>(quotes.size());

    // "HH:MM" sorts as text; the stable sort keeps equal times in file order.
    std::stable_sort(quotes.begin(), quotes.end(),
                     [](const Quote& a, const Quote& b) { return a.time < b.time; });
    // Dates, times and checked prices hold no comma, quote or line break, so no field
    // ever needs quoting.
    const QByteArray date = file.day.toString(Qt::ISODate).toLatin1();
    for (const Quote& quote : quotes) {
        csv.append(date).append(',');
        csv.append(quote.time.data(), quote.time.size()).append(',');
        csv.append(quote.price.data(), quote.price.size()).append("\r\n");
    }
    report.rowsWritten += static_cast<long long>(quotes.size());
}

QByteArray SymbolCsv(const std::vector<DayFile>& files, const ExportOptions& options,
                     ExportReport& report) {
    QByteArray csv(kCsvHeader.data(), kCsvHeader.size());
    for (const DayFile& file : files) {
        QFile in(file.path);
        if (!in.open(QIODevice::ReadOnly)) {
            report.problems.push_back({file.path, 0, "cannot read: " + in.errorString()});
            ++report.filesSkipped;
            continue;
        }
        const QByteArray text = in.readAll();
        ++report.dayFilesRead;
        AppendDay(file, std::string_view(text.constData(), text.size()), options, report, csv);
    }
    return csv;
}

void WriteCsv(const QString& path, const QByteArray& csv, ExportReport& report) {
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(csv) != csv.size() || !out.commit()) {
        report.problems.push_back({path, 0, "cannot write: " + out.errorString()});
        return;
    }
    report.csvFiles.append(path);
}

} // namespace

ExportReport ExportDayFiles(const ExportOptions& options) {
    ExportReport report;
    const DayFilesBySymbol bySymbol = FindDayFiles(options, report);
    for (const QString& symbol : options.symbols) {
        if (!bySymbol.contains(symbol) && !report.symbolsWithoutDayFiles.contains(symbol))
            report.symbolsWithoutDayFiles.append(symbol);
    }
    if (bySymbol.empty())
        return report;

    const QDir outDir(options.outDir);
    outDir.mkpath(QStringLiteral("."));
    for (const auto& [symbol, files] : bySymbol)
        WriteCsv(outDir.filePath(symbol + ".csv"), SymbolCsv(files, options, report), report);
    return report;
}

QString ProblemText(const ExportProblem& problem) {
    if (problem.line == 0)
        return problem.file + ": " + problem.reason;
    return QStringLiteral("%1:%2: %3").arg(problem.file).arg(problem.line).arg(problem.reason);
}

} // namespace pellmark
