#include "IncompleteDays.h"

#include "check/CoverageText.h"
#include "check/FolderCheck.h"
#include "core/DateList.h"

namespace pellmark {

Result<std::vector<IncompleteDay>> IncompleteDays(const QString& folder, const DayRange& range) {
    CheckOptions options;
    options.folder = folder;
    options.order = range.order;
    options.separator = range.separator;
    for (const std::string& symbol : range.symbols)
        options.symbols << QString::fromStdString(symbol);
    options.from = range.from;
    options.to = range.to;
    const Result<std::vector<SymbolCoverage>> symbols = CheckFolder(options);
    if (!symbols)
        return Failure{symbols.reason()};
    std::vector<IncompleteDay> incomplete;
    for (const SymbolCoverage& symbol : *symbols) {
        const auto first = range.firstDays.find(symbol.symbol.toStdString());
        for (const DayCoverage& day : symbol.days) {
            const bool before = first != range.firstDays.end() && day.day < first->second;
            if (FetchMayMend(day.state) && !before)
                incomplete.push_back({{symbol.symbol.toStdString(), DateLabel(day.day)},
                                      StateName(day.state).toStdString(),
                                      day.quotes});
        }
    }
    return incomplete;
}

} // namespace pellmark
