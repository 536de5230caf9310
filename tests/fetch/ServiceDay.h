// The output lines a day of the local quote service should give, worked out from the
// service's own quote generator rather than from its HTML.
#pragma once

#include "quote/IntradayParser.h"

#include <string_view>

pellmark::Lines ExpectedDayLines(std::string_view stk, std::string_view dateLabel,
                                 pellmark::LineOrder lineOrder, std::string_view separator);
