#include "folder/UpdatePlan.h"

#include "core/DateList.h"
#include "core/DayFileName.h"
#include "core/DayFileRead.h"
#include "core/QuoteLine.h"
#include "core/TextLines.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>

#include <algorithm>

namespace pellmark {

namespace {

// The lines judged are those a hint would be given from after so many bad ones.
constexpr std::size_t kLinesJudged = 10;

struct DayFile {
    QDate day;
    QString path;
};

// The day files of each symbol, newest first.
std::map<std::string, std::vector<DayFile>> DayFilesBySymbol(const QString& folder) {
    std::map<std::string, std::vector<DayFile>> bySymbol;
    const QDir dir(folder);
    for (const QString& name : dir.entryList({QStringLiteral("*.txt")}, QDir::Files)) {
        if (const std::optional<DayFileName> day = ParseDayFileName(name))
            bySymbol[day->symbol.toStdString()].push_back({day->day, dir.filePath(name)});
    }
    for (auto& [symbol, files] : bySymbol)
        std::sort(files.begin(), files.end(),
                  [](const DayFile& a, const DayFile& b) { return a.day > b.day; });
    return bySymbol;
}

// Why new days cannot follow the file: it cannot be read, or most of its first lines are
// not quotes in the layout (with the export's hint when another layout reads them).
std::optional<std::string> LayoutProblem(const QString& path, LineOrder order,
                                         const std::string& separator) {
    const Result<std::string> bytes = ReadDayFile(path);
    if (!bytes)
        return path.toStdString() + ": " + bytes.reason();
    Lines lines = SplitLines(*bytes);
    lines.resize(std::min(lines.size(), kLinesJudged));
    std::vector<std::optional<LineLayout>> guesses;
    for (const std::string& line : lines)
        if (!SplitQuoteLine(line, order, separator))
            guesses.push_back(GuessLayout(line));
    if (guesses.size() * 2 <= lines.size())
        return std::nullopt;
    const std::optional<std::string> hint = LayoutHint(guesses, order, separator);
    return path.toStdString() + ": " +
           (hint ? *hint
                 : "these lines are not a time and a price in the layout " +
                       LayoutText(order, separator));
}

// Week-days strictly between two days.
qint64 WeekdaysBetween(QDate older, QDate newer) {
    qint64 count = 0;
    QDate day = older.addDays(1);
    const qint64 weeks = std::max<qint64>(0, day.daysTo(newer) / 7);
    count += weeks * 5;
    for (day = day.addDays(weeks * 7); day < newer; day = day.addDays(1))
        count += day.dayOfWeek() <= 5;
    return count;
}

void AddDays(const std::string& symbol, QDate first, QDate last, UpdatePlan& plan) {
    for (std::string& label : WeekdayLabelsNewestFirst(first, last))
        plan.items.push_back({symbol, std::move(label)});
}

std::string Iso(QDate day) {
    return day.toString(Qt::ISODate).toStdString();
}

// The first day a heal looks at: after the newest gap longer than the bound, told once.
QDate HealStart(const std::string& symbol, const std::vector<DayFile>& newestFirst,
                UpdatePlan& plan) {
    for (std::size_t i = 0; i + 1 < newestFirst.size(); ++i) {
        const qint64 gap = WeekdaysBetween(newestFirst[i + 1].day, newestFirst[i].day);
        if (gap <= kLongestHealedGap)
            continue;
        const QDate older = newestFirst[i + 1].day;
        plan.notes.push_back(symbol + ": " + DateLabel(older) + " lies " +
                             QLocale(QLocale::English).toString(gap).toStdString() +
                             " week-days before the next file: not healed; give --heal-from " +
                             Iso(older) + " to fill it");
        return newestFirst[i].day;
    }
    return newestFirst.back().day;
}

// Plans one symbol with files; false, with the reason noted, when it is left out.
bool PlanSymbol(const std::string& symbol, std::vector<DayFile> files, const UpdateRequest& request,
                const ServiceClock& clock, UpdatePlan& plan) {
    const QDate today = clock.Today();
    const auto past = std::find_if(files.begin(), files.end(),
                                   [&](const DayFile& file) { return file.day <= today; });
    if (past == files.end()) {
        plan.notes.push_back(symbol + ": every day file is dated after today (" + Iso(today) +
                             "): not updated");
        return false;
    }
    if (past != files.begin()) {
        // Named oldest first, three at most: the one a wrong year made comes first.
        const auto later = static_cast<std::size_t>(past - files.begin());
        std::string names;
        for (std::size_t i = 0; i < std::min<std::size_t>(later, 3); ++i)
            names += (i == 0 ? "" : ", ") +
                     QFileInfo(files[later - 1 - i].path).fileName().toStdString();
        if (later > 3)
            names += " and " + std::to_string(later - 3) + " more";
        plan.notes.push_back(names + (later == 1 ? " is" : " are") + " dated after today (" +
                             Iso(today) + "): left out");
        files.erase(files.begin(), past);
    }
    // The newest file that is not empty tells the layout; an empty one has no lines.
    const auto empty = [](const DayFile& file) { return QFileInfo(file.path).size() == 0; };
    const auto judged = std::find_if_not(files.begin(), files.end(), empty);
    if (judged != files.end())
        if (std::optional<std::string> problem =
                LayoutProblem(judged->path, request.order, request.separator)) {
            plan.notes.push_back(*problem + ": " + symbol + " not updated");
            return false;
        }
    plan.symbols.push_back(symbol);
    const DayFile& newest = files.front();
    const bool again = empty(newest) || clock.Running(newest.day, newest.path);
    AddDays(symbol, again ? newest.day : newest.day.addDays(1), request.to, plan);
    // Older days saved while running, asked again after the new ones.
    for (auto file = files.begin() + 1; file != files.end(); ++file)
        if (file->day <= request.to && clock.Running(file->day, file->path))
            plan.items.push_back({symbol, DateLabel(file->day)});
    if (request.heal && !request.healFrom.isValid())
        plan.healFrom[symbol] = HealStart(symbol, files, plan);
    return true;
}

} // namespace

Result<UpdatePlan> PlanUpdate(const UpdateRequest& request, const ServiceClock& clock) {
    UpdatePlan plan;
    auto bySymbol = DayFilesBySymbol(request.folder);
    for (const std::string& symbol : request.only)
        if (!bySymbol.contains(symbol))
            return Failure{"--only " + symbol + ": no day files of it in " +
                           request.folder.toStdString()};
    std::optional<std::string> firstReason;
    for (auto& [symbol, files] : bySymbol) {
        if (!request.only.empty() &&
            std::find(request.only.begin(), request.only.end(), symbol) == request.only.end())
            continue;
        if (!PlanSymbol(symbol, std::move(files), request, clock, plan)) {
            plan.symbolLeftOut = true;
            if (!firstReason)
                firstReason = plan.notes.back();
        }
    }
    for (const std::string& symbol : request.newSymbols) {
        if (bySymbol.contains(symbol) ||
            std::find(plan.symbols.begin(), plan.symbols.end(), symbol) != plan.symbols.end())
            continue;
        plan.symbols.push_back(symbol);
        AddDays(symbol, request.from, request.to, plan);
    }
    if (plan.symbols.empty()) {
        if (firstReason)
            return Failure{*firstReason};
        return Failure{"no day files in " + request.folder.toStdString() +
                       " to update: name new symbols with --symbols"};
    }
    return plan;
}

} // namespace pellmark
