#include "IncompleteDays.h"

#include "check/FolderCheck.h"
#include "core/DateList.h"

namespace pellmark {

namespace {

// A holed day is left alone: the gap is in the service's own page, so fetching it again
// would bring the same gap back. A running day is the update's to fetch again.
const char* Refetchable(DayState state) {
    switch (state) {
    case DayState::Missing:
        return "missing";
    case DayState::Empty:
        return "empty";
    case DayState::Unreadable:
        return "unreadable";
    case DayState::Short:
        return "short";
    case DayState::Complete:
    case DayState::Holed:
    case DayState::Running:
        return nullptr;
    }
    return nullptr;
}

} // namespace

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
            if (const char* state = Refetchable(day.state); state && !before)
                incomplete.push_back({{symbol.symbol.toStdString(), DateLabel(day.day)}, state});
        }
    }
    return incomplete;
}

} // namespace pellmark
