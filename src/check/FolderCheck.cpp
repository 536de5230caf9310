#include "check/FolderCheck.h"

#include "check/ServiceDays.h"
#include "core/DayFileName.h"
#include "core/DayFileRead.h"
#include "core/ServiceDay.h"

#include <QDir>
#include <QDirIterator>

#include <algorithm>
#include <map>
#include <string_view>

namespace pellmark {
namespace {

using DayFiles = std::map<QDate, QString>; // file name by day

void ReadDay(const QString& path, const CheckOptions& options, DayCoverage& day,
             std::vector<std::optional<LineLayout>>& layoutGuesses) {
    day.hasFile = true;
    const Result<std::string> read = ReadDayFile(path);
    if (!read) {
        day.readError = QString::fromStdString(read.reason());
        return;
    }
    ReadDayText(*read, options.order, options.separator, day, &layoutGuesses);
}

// Keeps about perDay evenly spread quotes, the first and last, and both ends of every long
// gap, which is where a hole may be.
void ThinPrices(DayCoverage& day, std::size_t perDay) {
    const std::size_t count = day.prices.size();
    if (count <= perDay)
        return;
    std::vector<bool> keep(count, false);
    for (std::size_t i = 0; i < perDay; ++i)
        keep[i * (count - 1) / (perDay - 1)] = true;
    for (std::size_t i = 1; i < count; ++i) {
        if (day.prices[i].minute - day.prices[i - 1].minute > 3 * day.spacing)
            keep[i - 1] = keep[i] = true;
    }
    std::vector<PricePoint> kept;
    for (std::size_t i = 0; i < count; ++i) {
        if (keep[i])
            kept.push_back(day.prices[i]);
    }
    day.prices = std::move(kept);
}

SymbolCoverage CheckSymbol(const QString& symbol, const DayFiles& files, const MarketRecord& record,
                           const CheckOptions& options) {
    SymbolCoverage coverage;
    coverage.symbol = symbol;
    const QDate from =
        options.from.isValid() || files.empty() ? options.from : files.begin()->first;
    const QDate to = options.to.isValid() || files.empty() ? options.to : files.rbegin()->first;
    if (!from.isValid() || !to.isValid())
        return coverage;
    const QDate today = ServiceToday();
    const auto weekDays = static_cast<std::size_t>(from.daysTo(to) * 5 / 7 + 2);
    const std::size_t perDay = std::max<std::size_t>(
        2, static_cast<std::size_t>(options.chartPoints) / std::max<std::size_t>(1, weekDays));
    const QDir folder(options.folder);
    std::vector<std::optional<LineLayout>> layoutGuesses;
    std::vector<std::size_t> running;
    for (QDate day = from; day <= to; day = day.addDays(1)) {
        const auto file = files.find(day);
        const bool hasFile = file != files.end();
        if (day.dayOfWeek() == Qt::Saturday || day.dayOfWeek() == Qt::Sunday) {
            if (hasFile)
                coverage.weekendFiles.push_back(day);
            continue;
        }
        if (day > today && !hasFile)
            continue;
        DayCoverage& dayCoverage = coverage.days.emplace_back();
        dayCoverage.day = day;
        if (DayIsRunning(hasFile ? folder.filePath(file->second) : QString(), day, today))
            running.push_back(coverage.days.size() - 1);
        if (hasFile) {
            ReadDay(folder.filePath(file->second), options, dayCoverage, layoutGuesses);
            ThinPrices(dayCoverage, perDay);
        }
    }
    AssessSymbol(coverage);
    MarkServiceDays(coverage, record);
    // Even a running day with 90 % of a day's quotes lacks the rest of them.
    for (const std::size_t index : running)
        if (DayState& state = coverage.days[index].state; state != DayState::Unreadable)
            state = DayState::Running;
    // As pellmark-export does, no guess rests on fewer lines than that.
    if (layoutGuesses.size() == kLinesBeforeLayoutHint) {
        if (const std::optional<std::string> hint =
                LayoutHint(layoutGuesses, options.order, options.separator))
            coverage.layoutHint = QString::fromStdString(*hint);
    }
    return coverage;
}

} // namespace

Done CheckFolderEach(const CheckOptions& options,
                     const std::function<void(SymbolCoverage&&)>& onSymbol) {
    const QDir folder(options.folder);
    if (!folder.isReadable())
        return Failure{"cannot read the folder"};
    std::map<QString, DayFiles> bySymbol;
    const MarketRecord record = MarketRecord::Read(options.folder);
    // Every entry with a day file's name, whatever it is, so that a FIFO, a folder or a
    // broken link is reported as unreadable rather than missing. Hidden entries are left
    // out: a run saves through hidden temporary files.
    QDirIterator names(options.folder, {QStringLiteral("*.txt")},
                       QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    while (names.hasNext()) {
        names.next();
        const QString fileName = names.fileName();
        const std::optional<DayFileName> name = ParseDayFileName(fileName);
        if (!name || (!options.symbols.isEmpty() && !options.symbols.contains(name->symbol)))
            continue;
        bySymbol[name->symbol][name->day] = fileName;
    }
    if (options.symbols.isEmpty()) {
        for (auto& [symbol, files] : bySymbol) {
            onSymbol(CheckSymbol(symbol, files, record, options));
            files.clear();
        }
    } else {
        for (const QString& symbol : options.symbols)
            onSymbol(CheckSymbol(symbol, bySymbol[symbol], record, options));
    }
    return {};
}

Result<std::vector<SymbolCoverage>> CheckFolder(const CheckOptions& options) {
    std::vector<SymbolCoverage> symbols;
    const Done checked = CheckFolderEach(
        options, [&](SymbolCoverage&& symbol) { symbols.push_back(std::move(symbol)); });
    if (!checked)
        return Failure{checked.reason()};
    return symbols;
}

} // namespace pellmark
