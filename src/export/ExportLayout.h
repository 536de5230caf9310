// The text layouts an export can write, each one value: its header, date and time forms,
// separator, the columns of a quote row, a bar row and a day bar row, the bar lengths it takes
// and its file names. A new layout is a new value in ExportLayout.cpp, not new code.
#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pellmark {

enum class DateForm : std::uint8_t {
    Iso,     // 2005-06-08
    Dotted,  // 2005.06.08
    Compact, // 20050608
};

enum class TimeForm : std::uint8_t {
    HourMinute, // 14:05
    Compact,    // 140500
};

// What one field of a row holds.
enum class Column : std::uint8_t {
    Ticker,   // the symbol
    Period,   // the bar length in minutes, D for day bars, 0 for quotes
    Date,     // the day in the zone of the export
    Time,     // a quote's time, or a bar's start
    DateTime, // the date, a space and the time
    Price,    // a quote's price as the day file holds it
    Open,
    High,
    Low,
    Close,
    Ticks, // the number of quotes of a bar
    One,   // 1: the volume of one quote
};

struct ExportLayout {
    std::string_view name;        // as --layout takes it
    std::string_view importer;    // the program that reads it, for refusals
    std::string_view quoteHeader; // with its line end; empty: none
    std::string_view barHeader;
    std::vector<Column> quoteColumns; // empty: the layout takes bars only
    std::vector<Column> barColumns;
    std::vector<Column> dayBarColumns;
    DateForm date = DateForm::Iso;
    TimeForm time = TimeForm::HourMinute;
    char separator = ',';
    std::vector<int> barMinutes; // the bar lengths it takes; empty: every one
    std::string_view extension;  // ".csv"
    // Bars go to SYMBOL-LENGTH.EXT beside the quotes' SYMBOL.EXT; without it every file of a
    // symbol is SYMBOL.EXT, for an importer that takes the instrument from the file name.
    bool lengthInName = true;
};

// Today's layout, the default: "date,time,price" and "date,time,open,high,low,close,ticks".
const ExportLayout& CsvLayout();

// The layout --layout names ("csv", "metatrader", "ninjatrader", "metastock"); null for any
// other name.
const ExportLayout* FindLayout(QStringView name);

// "csv, metatrader, ninjatrader, metastock", for the help and a refusal.
std::string LayoutNames();

// Why layout cannot write bars of barMinutes (0: quotes), worded for the command line
// ("--layout metatrader writes bars only: ..."); empty when it can.
std::optional<std::string> LayoutRefusal(const ExportLayout& layout, int barMinutes);

// The file a symbol's quotes (barMinutes 0) or bars are written to: "AUDUSD.csv",
// "AUDUSD-1h.csv", "AUDUSD.txt".
QString LayoutFileName(const ExportLayout& layout, const QString& symbol, int barMinutes);

} // namespace pellmark
