#include "UpdatePlan.h"

#include "core/DateList.h"
#include "core/DayFileName.h"
#include "core/DayFileRead.h"
#include "core/QuoteLine.h"
#include "core/TextLines.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <map>

namespace pellmark {

namespace {

// The lines judged are those a hint would be given from after so many bad ones.
constexpr std::size_t kLinesJudged = 10;

// The day files of each symbol, newest first.
std::map<std::string, std::vector<std::pair<QDate, QString>>>
DayFilesBySymbol(const QString& folder) {
    std::map<std::string, std::vector<std::pair<QDate, QString>>> bySymbol;
    const QDir dir(folder);
    for (const QString& name : dir.entryList({QStringLiteral("*.txt")}, QDir::Files)) {
        if (const std::optional<DayFileName> day = ParseDayFileName(name))
            bySymbol[day->symbol.toStdString()].emplace_back(day->day, dir.filePath(name));
    }
    for (auto& [symbol, files] : bySymbol)
        std::sort(files.begin(), files.end(),
                  [](const auto& a, const auto& b) { return a.first > b.first; });
    return bySymbol;
}

// The export's hint when most of the first lines of the file do not read in the layout.
std::optional<std::string> LayoutProblem(const QString& path, LineOrder order,
                                         const std::string& separator) {
    const Result<std::string> bytes = ReadDayFile(path);
    if (!bytes)
        return std::nullopt;
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

void AddDays(const std::string& symbol, QDate first, QDate last, UpdatePlan& plan) {
    for (std::string& label : WeekdayLabelsNewestFirst(first, last))
        plan.items.push_back({symbol, std::move(label)});
}

} // namespace

Result<UpdatePlan> PlanUpdate(const QString& folder, const std::vector<std::string>& newSymbols,
                              QDate from, QDate to, LineOrder order, const std::string& separator) {
    UpdatePlan plan;
    const auto bySymbol = DayFilesBySymbol(folder);
    for (const auto& [symbol, files] : bySymbol) {
        // The newest file that is not empty tells the layout; an empty one has no lines.
        const auto judged = std::find_if(files.begin(), files.end(), [](const auto& file) {
            return QFileInfo(file.second).size() > 0;
        });
        if (judged != files.end())
            if (std::optional<std::string> problem =
                    LayoutProblem(judged->second, order, separator))
                return Failure{std::move(*problem)};
        plan.symbols.push_back(symbol);
        AddDays(symbol, files.front().first.addDays(1), to, plan);
    }
    for (const std::string& symbol : newSymbols) {
        if (bySymbol.contains(symbol) ||
            std::find(plan.symbols.begin(), plan.symbols.end(), symbol) != plan.symbols.end())
            continue;
        plan.symbols.push_back(symbol);
        AddDays(symbol, from, to, plan);
    }
    return plan;
}

} // namespace pellmark
