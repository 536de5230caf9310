#include "ServiceDay.h"

#include "QuotePage.h"

#include <cstdio>

std::vector<std::string> ExpectedDayLines(std::string_view stk, std::string_view dateLabel,
                                          bool priceFirst, std::string_view separator) {
    std::vector<std::string> lines;
    for (const pellmark::QuoteRecord& quote : pellmark::DayQuotes(stk, dateLabel)) {
        char time[16];
        std::snprintf(time, sizeof time, "%02d:%02d", quote.secondOfDay / 3600,
                      quote.secondOfDay / 60 % 60);
        lines.push_back(priceFirst ? quote.price + std::string(separator) + time
                                   : time + std::string(separator) + quote.price);
    }
    return lines;
}
