#include "check/ServiceDays.h"

#include "core/DateList.h"

namespace pellmark {

void MarkServiceDays(SymbolCoverage& symbol, const MarketRecord& record) {
    const std::string name = symbol.symbol.toStdString();
    const std::optional<std::string> first = record.FirstDay(name);
    const QDate firstDay = first ? DayOfLabel(QString::fromStdString(*first), 1970) : QDate();
    for (DayCoverage& day : symbol.days) {
        const DayItem item{name, DateLabel(day.day)};
        const bool noQuotes = day.state == DayState::Missing || day.state == DayState::Empty;
        const std::optional<int> part = record.PartQuotes(item);
        if ((noQuotes && (record.HasNoData(item) || (firstDay.isValid() && day.day < firstDay))) ||
            (part && day.state != DayState::Complete && day.quotes >= *part))
            day.state = DayState::AtService;
    }
}

} // namespace pellmark
