// Judges each week-day of one symbol against the symbol's own usual day: complete, missing,
// empty, unreadable, short, or holed. "Usual" is learnt from the days themselves, so that a
// currency pair traded round the clock and a stock traded from 09:30 to 16:00 are both judged
// by their own hours.
#pragma once

#include "page/IntradayParser.h"

#include <QDate>
#include <QString>

#include <string_view>
#include <vector>

namespace pellmark {

enum class DayState { Complete, Missing, Empty, Unreadable, Short, Holed };

// A stretch of the day, in minutes since midnight.
struct Span {
    int from = 0;
    int to = 0;
};

struct PricePoint {
    int minute = 0;
    double price = 0;
};

struct DayCoverage {
    QDate day;
    bool hasFile = false;
    QString readError;       // set when the file exists but cannot be read
    int lines = 0;           // lines of the file, split at CR, LF or CR LF
    int unreadableLines = 0; // lines that are not a time and a price in the layout
    int quotes = 0;
    // The day's quotes in time order (equal times keep their order in the file).
    std::vector<PricePoint> prices;
    DayState state = DayState::Missing;
    std::vector<Span> holes; // from and to are the times of the quotes either side
};

struct SymbolCoverage {
    QString symbol;
    std::vector<DayCoverage> days; // every week-day of the range, oldest first
    // Learnt from the days with quotes; 0 when there are none.
    int usualQuotes = 0;  // the median number of quotes a day (the upper one of two)
    int usualSpacing = 0; // the most common gap between consecutive quotes, in minutes
    Span usualSpan;       // the median first and the median last time of a day
};

// Reads a day file's text into day: its lines, quotes and unreadable lines. Lines are split
// and judged as pellmark-export does, so the two agree on what is unreadable.
void ReadDayText(std::string_view text, LineOrder order, std::string_view separator,
                 DayCoverage& day);

// Learns the symbol's usual day from its days, then sets each day's state and holes. A day is
// short with fewer quotes than 90 % of the usual number. A hole is a gap between consecutive
// quotes longer than three usual spacings within the usual span, so that the hours a market is
// closed are no hole. The first state that applies wins: missing, unreadable, empty, short,
// holed; a short day still has its holes listed.
void AssessSymbol(SymbolCoverage& symbol);

} // namespace pellmark
