#include "MarketPlay.h"

#include "DateLabel.h"
#include "QuotePage.h"

#include <algorithm>
#include <cstdint>

namespace pellmark {
namespace {

constexpr int kHalfDayClose = 18 * 3600;

bool IsPair(const std::string& stk) {
    return stk.starts_with("frx");
}

bool Lists(const std::vector<std::string>& labels, const std::string& dateLabel) {
    const auto day = ParseDateLabel(dateLabel);
    return day && std::any_of(labels.begin(), labels.end(), [&](const std::string& label) {
               return ParseDateLabel(label) == day;
           });
}

std::uint64_t Fnv1a(const std::string& text) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 1099511628211ULL;
    }
    return hash;
}

} // namespace

MarketPlay::MarketPlay(MarketOptions options) : options_(std::move(options)) {}

std::optional<std::string> MarketPlay::PageFor(const std::string& stk,
                                               const std::string& dateLabel) {
    const bool pair = IsPair(stk);
    if (Lists(pair ? options_.pairHolidays : options_.stockHolidays, dateLabel))
        return NoDataPageHtml(stk, dateLabel);
    if (const auto listing = options_.listed.find(stk); listing != options_.listed.end()) {
        const auto day = ParseDateLabel(dateLabel);
        if (day && *day < *ParseDateLabel(listing->second))
            return NoDataPageHtml(stk, dateLabel);
    }
    if (FlakyFirstAnswer(stk, dateLabel))
        return NoDataPageHtml(stk, dateLabel);
    if (!pair && Lists(options_.halfDays, dateLabel)) {
        std::vector<QuoteRecord> quotes = DayQuotes(stk, dateLabel);
        std::erase_if(quotes,
                      [](const QuoteRecord& quote) { return quote.secondOfDay > kHalfDayClose; });
        return LaidOutPageHtml(stk, dateLabel, quotes, PageLayout{});
    }
    return std::nullopt;
}

bool MarketPlay::FlakyFirstAnswer(const std::string& stk, const std::string& dateLabel) {
    if (options_.flakyPercent == 0)
        return false;
    const std::string key = stk + "-" + dateLabel;
    {
        const std::lock_guard lock(askedMutex_);
        if (!asked_.insert(key).second)
            return false;
    }
    return Fnv1a(std::to_string(options_.seed) + "|" + key) % 100 <
           static_cast<std::uint64_t>(options_.flakyPercent);
}

bool ReadListings(const std::string& text, MarketOptions& options) {
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::string part = text.substr(start, comma - start);
        const std::size_t equals = part.find('=');
        if (equals == std::string::npos || equals == 0 || !ParseDateLabel(part.substr(equals + 1)))
            return false;
        options.listed[part.substr(0, equals)] = part.substr(equals + 1);
        start = comma + 1;
    }
    return true;
}

} // namespace pellmark
