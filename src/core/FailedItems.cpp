#include "core/FailedItems.h"

namespace pellmark {

std::string FailedItemText(const DayItem& item) {
    return item.symbol + "-" + item.dateLabel;
}

DayItem ParseFailedItem(std::string_view line) {
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

} // namespace pellmark
