#include "ServiceDay.h"

#include "QuotePage.h"

#include <cstdio>

pellmark::Lines ExpectedDayLines(std::string_view stk, std::string_view dateLabel,
                                 pellmark::LineOrder lineOrder, std::string_view separator) {
    pellmark::Lines lines;
    for (const pellmark::QuoteRecord& quote : pellmark::DayQuotes(stk, dateLabel)) {
        char time[8];
        std::snprintf(time, sizeof time, "%02d:%02d", quote.secondOfDay / 3600,
                      quote.secondOfDay / 60 % 60);
        lines.push_back(lineOrder == pellmark::LineOrder::PriceFirst
                            ? quote.price + std::string(separator) + time
                            : time + std::string(separator) + quote.price);
    }
    return lines;
}
