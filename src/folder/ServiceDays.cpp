#include "folder/ServiceDays.h"

#include "core/DateList.h"

namespace pellmark {

namespace {

QDate FirstDay(const MarketRecord& record, const std::string& symbol) {
    const std::optional<std::string> first = record.FirstDay(symbol);
    return first ? DayOfLabel(QString::fromStdString(*first), 1970) : QDate();
}

bool Before(QDate day, QDate firstDay) {
    return firstDay.isValid() && day < firstDay;
}

} // namespace

bool LeftOutAsRecorded(const MarketRecord& record, const DayItem& item, bool askAgain) {
    return (!askAgain && record.HasNoData(item)) || record.PartQuotes(item).has_value() ||
           Before(DayOfLabel(QString::fromStdString(item.dateLabel), 1970),
                  FirstDay(record, item.symbol));
}

void MarkServiceDays(SymbolCoverage& symbol, const MarketRecord& record) {
    const std::string name = symbol.symbol.toStdString();
    const QDate firstDay = FirstDay(record, name);
    for (DayCoverage& day : symbol.days) {
        if (day.state == DayState::Running)
            continue;
        const DayItem item{name, DateLabel(day.day)};
        const bool noQuotes = day.state == DayState::Missing || day.state == DayState::Empty;
        const std::optional<int> part = record.PartQuotes(item);
        if ((noQuotes && (record.HasNoData(item) || Before(day.day, firstDay))) ||
            (part && day.state != DayState::Complete && day.quotes >= *part))
            day.state = DayState::AtService;
    }
}

} // namespace pellmark
