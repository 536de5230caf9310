#include "check/FolderCheck.h"

#include "core/DayFileName.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <algorithm>
#include <map>
#include <string_view>

namespace pellmark {
namespace {

using DayFiles = std::map<QDate, QString>; // path by day

void ReadDayFile(const QString& path, const CheckOptions& options, DayCoverage& day) {
    day.hasFile = true;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        day.readError = file.errorString();
        return;
    }
    const QByteArray text = file.readAll();
    ReadDayText(std::string_view(text.constData(), static_cast<std::size_t>(text.size())),
                options.order, options.separator, day);
}

// Keeps about perDay evenly spread quotes, the first and last, and both ends of every hole.
void ThinPrices(DayCoverage& day, std::size_t perDay) {
    const std::size_t count = day.prices.size();
    if (count <= perDay)
        return;
    std::vector<bool> keep(count, false);
    for (std::size_t i = 0; i < perDay; ++i)
        keep[i * (count - 1) / (perDay - 1)] = true;
    for (const Span& hole : day.holes) {
        for (std::size_t i = 1; i < count; ++i) {
            if (day.prices[i - 1].minute == hole.from && day.prices[i].minute == hole.to)
                keep[i - 1] = keep[i] = true;
        }
    }
    std::vector<PricePoint> kept;
    for (std::size_t i = 0; i < count; ++i) {
        if (keep[i])
            kept.push_back(day.prices[i]);
    }
    day.prices = std::move(kept);
}

SymbolCoverage CheckSymbol(const QString& symbol, const DayFiles& files,
                           const CheckOptions& options) {
    SymbolCoverage coverage;
    coverage.symbol = symbol;
    const QDate from =
        options.from.isValid() || files.empty() ? options.from : files.begin()->first;
    const QDate to = options.to.isValid() || files.empty() ? options.to : files.rbegin()->first;
    if (!from.isValid() || !to.isValid())
        return coverage;
    for (QDate day = from; day <= to; day = day.addDays(1)) {
        if (day.dayOfWeek() == Qt::Saturday || day.dayOfWeek() == Qt::Sunday)
            continue;
        DayCoverage& dayCoverage = coverage.days.emplace_back();
        dayCoverage.day = day;
        if (const auto file = files.find(day); file != files.end())
            ReadDayFile(file->second, options, dayCoverage);
    }
    AssessSymbol(coverage);
    const std::size_t perDay =
        std::max<std::size_t>(2, static_cast<std::size_t>(options.chartPoints) /
                                     std::max<std::size_t>(1, coverage.days.size()));
    for (DayCoverage& day : coverage.days)
        ThinPrices(day, perDay);
    return coverage;
}

} // namespace

CheckReport CheckFolder(const CheckOptions& options) {
    CheckReport report;
    const QDir folder(options.folder);
    if (!folder.isReadable()) {
        report.error = QStringLiteral("cannot read the folder");
        return report;
    }
    std::map<QString, DayFiles> bySymbol;
    // Hidden files are left out: a run saves through hidden temporary files.
    QDirIterator names(options.folder, {QStringLiteral("*.txt")}, QDir::Files);
    while (names.hasNext()) {
        const QString path = names.next();
        const std::optional<DayFileName> name = ParseDayFileName(names.fileName());
        if (!name || (!options.symbols.isEmpty() && !options.symbols.contains(name->symbol)))
            continue;
        bySymbol[name->symbol][name->day] = path;
    }
    if (options.symbols.isEmpty()) {
        for (const auto& [symbol, files] : bySymbol)
            report.symbols.push_back(CheckSymbol(symbol, files, options));
    } else {
        for (const QString& symbol : options.symbols)
            report.symbols.push_back(CheckSymbol(symbol, bySymbol[symbol], options));
    }
    return report;
}

} // namespace pellmark
