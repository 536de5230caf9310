// The output lines a day of the local quote service should give, worked out from the
// service's own quote generator rather than from its HTML.
#pragma once

#include <string>
#include <string_view>
#include <vector>

std::vector<std::string> ExpectedDayLines(std::string_view stk, std::string_view dateLabel,
                                          bool priceFirst, std::string_view separator);
