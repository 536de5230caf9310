#include "core/ErrorsList.h"

#include "core/DateList.h"
#include "core/DayFileName.h"
#include "core/TextLines.h"

#include <QString>

#include <algorithm>
#include <array>
#include <optional>

namespace pellmark {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// "d-Mmm-yy" as DateLabel writes it: day 1 to 31 without a leading zero, an English short
// month name, two digits of the year. The month in any letter case, as a typed list has it.
bool IsDateLabel(std::string_view text) {
    static constexpr std::array<std::string_view, 12> kMonths = {
        "jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"};
    const auto first = text.find('-');
    if (first == std::string_view::npos || text.size() != first + 7)
        return false;
    const std::string_view day = text.substr(0, first);
    const bool dayOk = (day.size() == 1 && day[0] >= '1' && day[0] <= '9') ||
                       (day.size() == 2 && day[0] >= '1' && day[0] <= '3' && IsDigit(day[1]) &&
                        (day[0] != '3' || day[1] <= '1'));
    const std::string_view rest = text.substr(first + 1);
    std::string month(rest.substr(0, 3));
    for (char& c : month)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return dayOk && rest[3] == '-' && IsDigit(rest[4]) && IsDigit(rest[5]) &&
           std::find(kMonths.begin(), kMonths.end(), month) != kMonths.end();
}

std::optional<DayItem> NamedDay(const std::string& line) {
    const auto day = ParseDayName(QString::fromStdString(line));
    if (!day)
        return std::nullopt;
    return DayItem{day->symbol.toStdString(), DateLabel(day->day)};
}

} // namespace

std::string FailedItemText(const DayItem& item) {
    return item.symbol + "-" + item.dateLabel;
}

DayItem ParseFailedItem(std::string_view line) {
    // A symbol may hold hyphens itself (BRK-B): when the line ends in a date label, the
    // symbol is everything before it.
    for (const std::size_t labelLength : {std::size_t{8}, std::size_t{9}}) {
        if (line.size() > labelLength && line[line.size() - labelLength - 1] == '-' &&
            IsDateLabel(line.substr(line.size() - labelLength)))
            return {std::string(line.substr(0, line.size() - labelLength - 1)),
                    std::string(line.substr(line.size() - labelLength))};
    }
    const auto hyphen = line.find('-');
    if (hyphen == std::string_view::npos)
        return {"", std::string(line)};
    return {std::string(line.substr(0, hyphen)), std::string(line.substr(hyphen + 1))};
}

std::string AppendedFailedItemText(std::string_view memoText, const DayItem& item) {
    const bool endsInOpenLine =
        !memoText.empty() && memoText.back() != '\n' && memoText.back() != '\r';
    return endsInOpenLine ? "\r\n" + FailedItemText(item) : FailedItemText(item) + "\r\n";
}

std::string FailedItemsWarning(std::string_view memoText) {
    return "The Following Currency Pair/Date were not downloaded because of VORN server either "
           "not answering or returning an empty file:\r\n\r\n" +
           std::string(memoText) +
           "\r\n\r\nPlease make note of it and redownload the missing Dates later.";
}

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
    const Lines lines = reading == ListReading::Cleaned ? SplitFileLines(text) : SplitLines(text);
    for (std::string line : lines) {
        ++lineNumber;
        if (reading == ListReading::Cleaned) {
            QString cleaned = QString::fromStdString(line);
            cleaned.remove(QChar(0xFEFF));
            line = cleaned.trimmed().toStdString();
            if (line.empty())
                continue;
            items.push_back({ParseFailedItem(line), lineNumber, line});
        } else if (const auto day = NamedDay(line)) {
            items.push_back({*day, lineNumber, line});
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

Result<DayItem> RetryItem(const DayItem& listed, QDate today) {
    const QDate day = DayOfLabel(QString::fromStdString(listed.dateLabel), 1970);
    if (!day.isValid())
        return Failure{"\"" + listed.dateLabel + "\" is not a day (d-Mmm-yy)"};
    const std::string named =
        listed.dateLabel + " names " + day.toString(Qt::ISODate).toStdString();
    if (day > today)
        return Failure{named + ", after today"};
    if (day.dayOfWeek() > Qt::Friday)
        return Failure{named + ", a " + (day.dayOfWeek() == Qt::Saturday ? "Saturday" : "Sunday")};
    return DayItem{listed.symbol, DateLabel(day)};
}

} // namespace pellmark
