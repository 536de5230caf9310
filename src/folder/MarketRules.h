// What pellmark-batch asks, learnt from the folder's market record and from the answers of
// the run: each symbol in its own form, a holiday only when every symbol of its form had no
// data that day, few tries for a day unlikely to bring data, a symbol without data in either
// form told once as probably misspelt, and a symbol's first day at the service found going
// back in time. The record is kept in the folder (MarketRecord.h), and changed only here.
#pragma once

#include "core/Category.h"
#include "folder/IncompleteDays.h"
#include "folder/MarketRecord.h"
#include "run/DayResult.h"

#include <QString>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace pellmark {

// Tries for a day unlikely to bring data: a holiday of its form so far, or a symbol that had no
// data on the latest day others had. A day others of its form have is asked twice, so that one
// empty answer of a busy service is not taken for the day's; a day nothing is known about is
// asked kMostFetchesPerDay times. A day asked briefly that proves open is asked once more.
inline constexpr int kBriefFetches = 1;
inline constexpr int kOpenDayFetches = 2;
// Days in a row without data, while others have data, after which a symbol never seen with
// data is taken for misspelt, and one seen with data on later days for listed after them.
inline constexpr int kMisspeltDays = 3;
inline constexpr int kMisspeltDaysAlone = 5; // when no other symbol was asked those days
inline constexpr int kListingDays = 5;

class MarketRules {
public:
    // askAgain: the days recorded without data are asked again.
    MarketRules(QString folder, Category category, bool askAgain);

    // Reads the folder's record; what it could not read, to be told.
    std::vector<std::string> Load();

    Category CategoryOf(const std::string& symbol) const;
    int MostFetchesOf(const DayItem& item) const;
    // Days not to ask: recorded without data or in part, before the symbol's first day, or of
    // a symbol taken for misspelt.
    bool LeaveOut(const DayItem& item) const;
    // Learns from the day's answer; returns what is to be told of it now.
    std::vector<std::string> Note(const DayResult& result);
    // What a heal found: days the service has no data for, and days it has only in part.
    void NoteHealed(const std::vector<DayItem>& noData, const std::vector<IncompleteDay>& part);
    // Forgets the days recorded without data that have a day file by now (fetched by hand, say).
    void ForgetFilledDays();
    // A day that gave no data in the form its symbol is now asked in: no use asking again.
    bool GaveNoData(const DayItem& item) const;
    SymbolForm FormOf(const std::string& symbol) const;
    int OthersWithData(const DayItem& item) const;
    int OthersOfFormWithData(const DayItem& item) const;
    bool OnlySymbolAsked(const DayItem& item) const;
    bool Misspelt(const std::string& symbol) const;
    // The days of symbols taken for misspelt: those asked without data, those not asked.
    const std::vector<DayItem>& MisspeltAsked() const { return misspeltAsked_; }
    const std::vector<DayItem>& NotAsked() const { return notAsked_; }

    const MarketRecord& Record() const { return record_; }
    // The run's items in the order that lets each day's answers speak for the next symbol:
    // newest day first and, within a day, the symbols of known form first.
    std::vector<DayItem> InAskingOrder(std::vector<DayItem> items) const;
    // Writes the record when it changed; the reason when it could not.
    Done Save();

private:
    struct SymbolState {
        bool hadData = false;
        bool formTried = false; // the other form was tried after a day without data
        bool misspelt = false;
        int missesInARow = 0; // days without data while others had data
        std::string lastDataLabel;
        std::vector<DayItem> noDataDays; // asked without data before any data
    };
    std::vector<std::string> NoteNoData(const DayItem& item, SymbolState& state);

    QString folder_;
    Category category_;
    SymbolForm defaultForm_;
    bool askAgain_;
    MarketRecord record_;
    std::map<std::string, SymbolState> symbols_;
    std::map<std::string, SymbolForm> tried_; // forms of symbols not in the record
    // Per date label and form, the symbols that had data and those that had none.
    std::map<std::pair<std::string, SymbolForm>, std::set<std::string>> withData_;
    std::map<std::pair<std::string, SymbolForm>, std::set<std::string>> withoutData_;
    struct NoDataAsked {
        SymbolForm form;
        int times = 0;
        bool brief = true; // every time with fewer than kMostFetchesPerDay tries
    };
    std::map<std::string, NoDataAsked> noDataAsked_; // by item text
    std::vector<DayItem> misspeltAsked_;
    std::vector<DayItem> notAsked_;
};

} // namespace pellmark
