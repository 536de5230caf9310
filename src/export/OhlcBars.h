// Open/high/low/close bars of fixed length built from one day's quotes on the zone's clock,
// for an export that back-tests on bars rather than on single quotes. Shared by
// pellmark-export and pellmark-batch --csv.
#pragma once

#include "export/ExportTarget.h"

#include <QString>
#include <QStringView>

#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace pellmark {

// The values --bars takes, in the order the help lists them.
inline constexpr std::string_view kBarLengthNames = "1min, 5min, 15min, 30min, 1h, 4h, 1d";

// The bar length in minutes for "1min", "5min", "15min", "30min", "1h", "4h" or "1d"; empty
// for any other text.
std::optional<int> ParseBarLength(QStringView text);

// The name --bars takes for a length of `minutes` ("1h" for 60); empty for any other length.
QString BarLengthName(int minutes);

// True when price a is less than price b by value ("9.5" < "10.25", "1.2" == "1.20").
// Both are digits, optionally a point and more digits, as SplitQuoteLine accepts them.
bool PriceLess(std::string_view a, std::string_view b);

// The bars of one day of the zone that hold at least one quote. A bar is named by its start
// on the zone's clock, at midnight and every `minutes` after it, and holds the quotes in a
// row whose clock reads inside it: on the autumn day that repeats an hour, a bar as long as
// that hour or longer holds both passes, a shorter one comes twice. Quotes must be in time
// order: open is the first, close the last. A bar with a quote of a running day is left out
// unless withRunning.
std::vector<ExportBar> BuildBars(std::span<const ExportQuote> quotes, int minutes,
                                 bool withRunning);

} // namespace pellmark
