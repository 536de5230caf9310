#include "core/ErrorsList.h"

#include "core/DateList.h"
#include "core/DayFileName.h"
#include "core/FailedItems.h"
#include "core/TextLines.h"

#include <QString>

#include <algorithm>
#include <optional>

namespace pellmark {

namespace {

std::optional<DayItem> NamedDay(const std::string& line) {
    const auto day = ParseDayName(QString::fromStdString(line));
    if (!day)
        return std::nullopt;
    return DayItem{day->symbol.toStdString(), DateLabel(day->day)};
}

} // namespace

std::string FailedItemLines(const std::vector<DayItem>& items) {
    std::string text;
    for (const DayItem& item : items)
        text += FailedItemText(item) + "\r\n";
    return text;
}

std::string MemoAddition(std::string_view memoText, const std::vector<DayItem>& items) {
    std::string added;
    for (const DayItem& item : items)
        added += AppendedFailedItemText(added.empty() ? memoText : added, item);
    return added;
}

std::string AppendedToFile(std::string text, const std::vector<DayItem>& items) {
    if (items.empty())
        return text;
    if (!text.empty() && text.back() != '\n' && text.back() != '\r')
        text += "\r\n";
    return text + FailedItemLines(items);
}

std::vector<ListedItem> ReadRetryList(std::string_view text, ListReading reading) {
    std::vector<ListedItem> items;
    std::size_t lineNumber = 0;
    for (std::string line : SplitLines(std::string(text))) {
        ++lineNumber;
        if (reading == ListReading::Cleaned) {
            QString cleaned = QString::fromStdString(line);
            cleaned.remove(QChar(0xFEFF));
            line = cleaned.trimmed().toStdString();
            if (line.empty())
                continue;
            items.push_back({ParseFailedItem(line), lineNumber});
        } else if (const auto day = NamedDay(line)) {
            items.push_back({*day, lineNumber});
        }
    }
    return items;
}

std::string ListAfterRetry(std::string_view typed, const std::vector<DayItem>& leftToDo) {
    std::vector<DayItem> left = leftToDo;
    std::string text;
    for (const std::string& line : SplitLines(std::string(typed))) {
        if (const auto day = NamedDay(line)) {
            const auto found = std::find(left.begin(), left.end(), *day);
            if (found == left.end())
                continue;
            left.erase(found);
        }
        text += line + "\r\n";
    }
    return text;
}

std::variant<DayItem, std::string> RetryItem(const DayItem& listed, QDate today) {
    const QDate day = DayOfLabel(QString::fromStdString(listed.dateLabel), 1970);
    if (!day.isValid())
        return "\"" + listed.dateLabel + "\" is not a day (d-Mmm-yy)";
    const std::string named =
        listed.dateLabel + " names " + day.toString(Qt::ISODate).toStdString();
    if (day > today)
        return named + ", after today";
    if (day.dayOfWeek() > Qt::Friday)
        return named + ", a " + (day.dayOfWeek() == Qt::Saturday ? "Saturday" : "Sunday");
    return DayItem{listed.symbol, DateLabel(day)};
}

} // namespace pellmark
