#include "folder/IncompleteDays.h"

#include "check/CoverageText.h"
#include "check/FolderCheck.h"
#include "core/DateList.h"
#include "folder/ServiceDays.h"

namespace pellmark {

Result<std::vector<IncompleteDay>> IncompleteDays(const QString& folder, const DayRange& range,
                                                  const MarketRecord& record,
                                                  const ServiceClock& clock) {
    CheckOptions options;
    options.folder = folder;
    options.order = range.order;
    options.separator = range.separator;
    for (const std::string& symbol : range.symbols)
        options.symbols << QString::fromStdString(symbol);
    options.from = range.from;
    options.to = range.to;
    Result<std::vector<SymbolCoverage>> symbols = CheckFolder(options, clock);
    if (!symbols)
        return Failure{symbols.reason()};
    std::vector<IncompleteDay> incomplete;
    for (SymbolCoverage& symbol : *symbols) {
        MarkServiceDays(symbol, record);
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
