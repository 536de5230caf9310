// Open/high/low/close bars of fixed length built from one day's quotes, for an export that
// back-tests on bars rather than on single quotes. Shared by pellmark-export and
// pellmark-batch --csv.
#pragma once

#include "core/QuoteLine.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>
#include <string_view>
#include <vector>

namespace pellmark {

inline constexpr std::string_view kBarsCsvHeader = "date,time,open,high,low,close,ticks\r\n";

// The values --bars takes, in the order the help lists them.
inline constexpr std::string_view kBarLengthNames = "5min, 15min, 30min, 1h, 4h, 1d";

// The bar length in minutes for "5min", "15min", "30min", "1h", "4h" or "1d"; empty for any
// other text.
std::optional<int> ParseBarLength(QStringView text);

// The name --bars takes for a length of `minutes` ("1h" for 60); empty for any other length.
QString BarLengthName(int minutes);

// True when price a is less than price b by value ("9.5" < "10.25", "1.2" == "1.20").
// Both are digits, optionally a point and more digits, as SplitQuoteLine accepts them.
bool PriceLess(std::string_view a, std::string_view b);

// Appends one CSV row "date,HH:MM,open,high,low,close,ticks" per bar that holds at least
// one quote. Bars start at midnight and every `minutes` after it, each named by its start;
// quotes must be in time order (ties in file order): open is the first, close the last. The
// prices are copied as written.
void AppendBars(QByteArray& csv, const QByteArray& date, const std::vector<Quote>& quotes,
                int minutes);

} // namespace pellmark
