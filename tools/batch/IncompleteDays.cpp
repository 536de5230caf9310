#include "IncompleteDays.h"

#include "check/FolderCheck.h"
#include "core/DateList.h"

namespace pellmark {

namespace {

// A holed day is left alone: the gap is in the service's own page, so fetching it again
// would bring the same gap back.
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
    case DayState::AtService:
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
    for (const SymbolCoverage& symbol : *symbols)
        for (const DayCoverage& day : symbol.days)
            if (const char* state = Refetchable(day.state))
                incomplete.push_back(
                    {{symbol.symbol.toStdString(), DateLabel(day.day)}, state, day.quotes});
    return incomplete;
}

} // namespace pellmark
