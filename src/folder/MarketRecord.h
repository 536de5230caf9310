// What pellmark-batch has learnt of the market a save folder mirrors, kept in the folder as
// one plain text file people may edit: each symbol's form (a currency pair, asked as
// frxSYMBOL, or a stock or index, asked as SYMBOL), the first day the service has for a
// symbol, the days it has no data for and the days it has only in part. Comment lines and
// lines that cannot be read stay where they are when the file is written again.
#pragma once

#include "core/DayItem.h"
#include "core/Result.h"

#include <QString>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace pellmark {

inline constexpr char kMarketRecordFileName[] = "pellmark-market";
// Read when the folder has no record yet: the days without data of earlier versions.
inline constexpr char kOldNoDataDaysFileName[] = "pellmark-no-data-days";

enum class SymbolForm { Pair, Stock };

class MarketRecord {
public:
    // The folder's record; an empty one when there is none. A line that cannot be read is
    // told in Problems() with its line number ("pellmark-market:4: ...").
    static MarketRecord Read(const QString& folder);

    const std::vector<std::string>& Problems() const { return problems_; }

    std::optional<SymbolForm> FormOf(const std::string& symbol) const;
    void SetForm(const std::string& symbol, SymbolForm form);
    // The label of the first day the service has for the symbol, once learnt.
    std::optional<std::string> FirstDay(const std::string& symbol) const;
    void SetFirstDay(const std::string& symbol, const std::string& dateLabel);
    bool HasNoData(const DayItem& item) const;
    void SetNoData(const DayItem& item, bool noData);
    std::vector<DayItem> NoDataDays() const;
    // The quotes the service has of a day it has only in part.
    std::optional<int> PartQuotes(const DayItem& item) const;
    void SetPart(const DayItem& item, int quotes);
    void ForgetPart(const DayItem& item);

    bool Changed() const { return changed_; }
    // Replaces the folder's record, whole or not at all.
    Done Write(const QString& folder) const;

private:
    void Put(const std::string& key, std::string value);
    void Drop(const std::string& key);
    void ReadLine(std::string_view line, std::size_t number, bool oldFile);

    // Each line as read: a key ("pair AUDUSD", "none AUDUSD-7-Dec-26") or, for comments and
    // lines not read, the text kept as written.
    struct Line {
        std::string key;
        std::string text;
    };
    std::vector<Line> lines_;
    std::map<std::string, std::string> values_; // key -> what follows it on its line
    std::vector<std::string> problems_;
    bool unread_ = false; // the file is there but could not be read: it is never replaced
    bool changed_ = false;
};

} // namespace pellmark
