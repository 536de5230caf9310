#include "quote/DayPage.h"

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

Lines DayLinesFromPage(std::string_view page, LineOrder lineOrder, std::string_view separator) {
    if (!HoldsQuoteRecords(page))
        return {std::string(kNoneLine)};
    return ParseIntradayPage(page, lineOrder, separator);
}

} // namespace pellmark
