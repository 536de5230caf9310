#include "page/DayPage.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <utility>

namespace pellmark {

bool HoldsQuoteRecords(std::string_view page) {
    const std::size_t first = page.find(kRecordMarker);
    return first != std::string_view::npos &&
           page.find(kRecordMarker, first + kRecordMarker.size()) != std::string_view::npos;
}

bool IsBadPage(std::string_view page) {
    return !HoldsQuoteRecords(page) || page.find(kNoDataText) != std::string_view::npos ||
           CountPageLines(page) <= 5;
}

bool ResultMeansNoData(std::string_view joinedResult) {
    std::string lower(joinedResult.size(), '\0');
    std::transform(joinedResult.begin(), joinedResult.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower.find(kNoneLine) != std::string::npos;
}

DayLines DayLinesFromPage(std::string_view page, LineOrder lineOrder, std::string_view separator) {
    if (!HoldsQuoteRecords(page))
        return {};
    Lines lines = ParseIntradayPage(page, lineOrder, separator);
    if (ResultMeansNoData(JoinLines(lines)))
        return {};
    return {true, std::move(lines)};
}

} // namespace pellmark
