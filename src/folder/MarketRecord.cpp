#include "folder/MarketRecord.h"

#include "core/DateList.h"
#include "core/ErrorsList.h"
#include "core/TextLines.h"
#include "core/WholeFile.h"

#include <QDir>
#include <QFileInfo>

namespace pellmark {

namespace {

constexpr char kHeader[] =
    "# What pellmark-batch learnt of the market of this folder; edit or delete lines freely.\r\n"
    "#   pair SYMBOL            asked as frxSYMBOL (a currency pair)\r\n"
    "#   stock SYMBOL           asked as SYMBOL (a stock or an index)\r\n"
    "#   first SYMBOL-d-Mmm-yy  the first day the service has for SYMBOL\r\n"
    "#   none SYMBOL-d-Mmm-yy   a day the service has no data for\r\n"
    "#   part SYMBOL-d-Mmm-yy N a day the service has only N quotes of\r\n";

// The item with its label written as a run writes it, whatever the letter case of its month.
std::optional<std::string> ItemKeyText(std::string_view text) {
    const DayItem item = ParseFailedItem(text);
    const QDate day = DayOfLabel(QString::fromStdString(item.dateLabel), 1970);
    if (item.symbol.empty() || !day.isValid())
        return std::nullopt;
    return FailedItemText({item.symbol, DateLabel(day)});
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

} // namespace

MarketRecord MarketRecord::Read(const QString& folder) {
    MarketRecord record;
    const QDir dir(folder);
    const char* name = kMarketRecordFileName;
    // A link at the name is there, to be refused below, even when it leads nowhere.
    const auto present = [](const QString& path) {
        const QFileInfo info(path);
        return info.exists() || info.isSymLink();
    };
    QString path = dir.filePath(QString::fromLatin1(name));
    if (!present(path)) {
        name = kOldNoDataDaysFileName;
        path = dir.filePath(QString::fromLatin1(name));
        if (!present(path))
            return record;
        // The old file's items become "none" lines of the new record when it is written.
        record.changed_ = true;
    }
    // The record is the program's own: read where it is, never through a link, and bounded.
    const Result<std::string> text = ReadWholeFile(path, {.followLink = false});
    if (!text) {
        record.problems_.push_back("cannot read " + std::string(name) + ": " + text.reason());
        record.unread_ = true;
        return record;
    }
    std::size_t number = 0;
    for (const std::string& line : SplitLines(*text))
        record.ReadLine(line, ++number, name == kOldNoDataDaysFileName);
    return record;
}

void MarketRecord::ReadLine(std::string_view line, std::size_t number, bool oldFile) {
    const char* fileName = oldFile ? kOldNoDataDaysFileName : kMarketRecordFileName;
    const std::string_view text = Trimmed(line);
    if (text.empty() || text.starts_with('#')) {
        if (!oldFile)
            lines_.push_back({{}, std::string(line)});
        return;
    }
    if (oldFile) {
        if (const auto item = ItemKeyText(text))
            Put("none " + *item, {});
        return;
    }
    const std::size_t space = text.find(' ');
    const std::string_view word = text.substr(0, space);
    const std::string_view rest =
        space == std::string_view::npos ? std::string_view() : Trimmed(text.substr(space));
    const std::size_t restSpace = rest.find(' ');
    const std::string_view first = rest.substr(0, restSpace);
    const std::string_view after =
        restSpace == std::string_view::npos ? std::string_view() : Trimmed(rest.substr(restSpace));
    std::optional<std::string> key;
    std::string value;
    if ((word == "pair" || word == "stock") && !first.empty() && after.empty()) {
        key = std::string(word) + " " + std::string(first);
    } else if ((word == "first" || word == "none") && after.empty()) {
        if (const auto item = ItemKeyText(first))
            key = std::string(word) + " " + *item;
    } else if (word == "part" && !after.empty() &&
               after.find_first_not_of("0123456789") == std::string_view::npos &&
               after.size() < 7) {
        if (const auto item = ItemKeyText(first)) {
            key = "part " + *item;
            value = std::string(after);
        }
    }
    if (!key) {
        problems_.push_back(std::string(fileName) + ":" + std::to_string(number) +
                            ": cannot read \"" + std::string(text) + "\": kept as it is");
        lines_.push_back({{}, std::string(line)});
        return;
    }
    lines_.push_back({*key, {}});
    values_[*key] = value;
}

std::optional<SymbolForm> MarketRecord::FormOf(const std::string& symbol) const {
    if (values_.contains("pair " + symbol))
        return SymbolForm::Pair;
    if (values_.contains("stock " + symbol))
        return SymbolForm::Stock;
    return std::nullopt;
}

void MarketRecord::SetForm(const std::string& symbol, SymbolForm form) {
    Drop((form == SymbolForm::Pair ? "stock " : "pair ") + symbol);
    Put((form == SymbolForm::Pair ? "pair " : "stock ") + symbol, {});
}

std::optional<std::string> MarketRecord::FirstDay(const std::string& symbol) const {
    for (const auto& [key, value] : values_)
        if (key.starts_with("first ") && ParseFailedItem(key.substr(6)).symbol == symbol)
            return ParseFailedItem(key.substr(6)).dateLabel;
    return std::nullopt;
}

void MarketRecord::SetFirstDay(const std::string& symbol, const std::string& dateLabel) {
    if (const auto known = FirstDay(symbol))
        Drop("first " + FailedItemText({symbol, *known}));
    Put("first " + FailedItemText({symbol, dateLabel}), {});
}

bool MarketRecord::HasNoData(const DayItem& item) const {
    return values_.contains("none " + FailedItemText(item));
}

void MarketRecord::SetNoData(const DayItem& item, bool noData) {
    if (noData)
        Put("none " + FailedItemText(item), {});
    else
        Drop("none " + FailedItemText(item));
}

std::vector<DayItem> MarketRecord::NoDataDays() const {
    std::vector<DayItem> days;
    for (const Line& line : lines_)
        if (line.key.starts_with("none "))
            days.push_back(ParseFailedItem(line.key.substr(5)));
    return days;
}

std::optional<int> MarketRecord::PartQuotes(const DayItem& item) const {
    const auto found = values_.find("part " + FailedItemText(item));
    if (found == values_.end())
        return std::nullopt;
    return std::stoi(found->second);
}

void MarketRecord::SetPart(const DayItem& item, int quotes) {
    Put("part " + FailedItemText(item), std::to_string(quotes));
}

void MarketRecord::ForgetPart(const DayItem& item) {
    Drop("part " + FailedItemText(item));
}

void MarketRecord::Put(const std::string& key, std::string value) {
    const auto [found, isNew] = values_.try_emplace(key, value);
    if (isNew)
        lines_.push_back({key, {}});
    else if (found->second == value)
        return;
    found->second = std::move(value);
    changed_ = true;
}

void MarketRecord::Drop(const std::string& key) {
    if (values_.erase(key) == 0)
        return;
    std::erase_if(lines_, [&](const Line& line) { return line.key == key; });
    changed_ = true;
}

Done MarketRecord::Write(const QString& folder) const {
    if (unread_)
        return Failure{"it could not be read, so it is left as it is"};
    std::string text;
    if (lines_.empty() || !lines_.front().key.empty() || !lines_.front().text.starts_with("#"))
        text = kHeader;
    for (const Line& line : lines_) {
        if (line.key.empty())
            text += line.text;
        else
            text += line.key + (values_.at(line.key).empty() ? "" : " " + values_.at(line.key));
        text += "\r\n";
    }
    const QDir dir(folder);
    const Done written =
        WriteWholeFile(dir.filePath(QString::fromLatin1(kMarketRecordFileName)), text);
    if (written)
        QFile::remove(dir.filePath(QString::fromLatin1(kOldNoDataDaysFileName)));
    return written;
}

} // namespace pellmark
