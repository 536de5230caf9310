// The market the local service plays beside its faults: holidays of each form (currency pairs,
// asked as frxSYMBOL, or stocks and indices), half days on which stocks and indices close at
// 18:00 GMT, days before a symbol was listed, and a share of first answers that come back
// empty (flaky), chosen by a seed so that every run of a benchmark meets the same ones.
#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace pellmark {

struct MarketOptions {
    std::vector<std::string> pairHolidays;     // date labels without data for frx symbols
    std::vector<std::string> stockHolidays;    // date labels without data for the others
    std::vector<std::string> halfDays;         // stocks and indices stop at 18:00 GMT
    std::map<std::string, std::string> listed; // stk code -> its first day with data
    int flakyPercent = 0;                      // of first answers of a symbol-day, empty
    int seed = 1;
};

class MarketPlay {
public:
    explicit MarketPlay(MarketOptions options);

    // The page this market answers for the symbol-day instead of the service's usual one, or
    // nothing when the usual page stands. Safe from any answering thread.
    std::optional<std::string> PageFor(const std::string& stk, const std::string& dateLabel);

private:
    bool FlakyFirstAnswer(const std::string& stk, const std::string& dateLabel);

    MarketOptions options_;
    std::mutex askedMutex_;
    std::set<std::string> asked_;
};

// "frxGBPAUD=1-Jun-26,USAMSFT=3-Jan-05" into options.listed; false when a part is not CODE=LABEL.
bool ReadListings(const std::string& text, MarketOptions& options);

} // namespace pellmark
