// Judges each week-day of one symbol: complete, missing, empty, unreadable, short, or holed.
// What is usual is learnt from the files themselves: the hours from the symbol's days, so
// that a currency pair traded round the clock and a stock traded from 09:30 to 16:00 are both
// judged by their own hours, and the rhythm of the quotes from each day alone, so that a
// symbol whose spacing changed over the years, or tick data, is judged by each day's own.
#pragma once

#include "core/QuoteLine.h"

#include <QDate>
#include <QString>

#include <optional>
#include <string_view>
#include <vector>

namespace pellmark {

// Fewer days than this of one rhythm say too little about how many quotes it gives a day.
inline constexpr int kDaysForRhythm = 3;

// AtService: the folder's market record says the service has no more of the day (ServiceDays.h).
enum class DayState { Complete, Missing, Empty, Unreadable, Short, Holed, AtService };

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
    // The day's own rhythm: its most common gap between quotes in minutes (0 with fewer than
    // two quote times), whether its quotes keep to it (false for ticks), and the longest
    // gap that rhythm makes likely; a gap longer than that is a hole.
    int spacing = 0;
    bool regular = true;
    int longestUsualGap = 0;
    std::vector<Span> longGaps; // every gap longer than longestUsualGap
    // The median number of quotes of the symbol's days of the same rhythm (the same spacing,
    // or ticks), when at least kDaysForRhythm days share it; else of all its days.
    int usualQuotes = 0;
    DayState state = DayState::Missing;
    std::vector<Span> holes; // from and to are the times of the quotes either side
};

struct SymbolCoverage {
    QString symbol;
    std::vector<DayCoverage> days; // every week-day of the range up to today, oldest first
    // Learnt from the days with quotes; 0 when there are none.
    int usualQuotes = 0;             // the median number of quotes a day (the upper one of two)
    int usualSpacing = 0;            // the median of the days' own spacings, in minutes
    bool irregular = false;          // most days with a spacing do not keep to it (tick data)
    Span usualSpan;                  // the median first and the median last time of a day
    std::vector<QDate> weekendFiles; // day files named for a Saturday or Sunday, not judged
    // What the unreadable lines look like, when a layout reads most of them ("these lines
    // look like TIME then PRICE: try --time-first"); empty otherwise.
    QString layoutHint;
};

// Reads a day file's text into day: its lines, quotes, unreadable lines and rhythm. Lines are
// split and judged as pellmark-export does, so the two agree on what is unreadable. The
// layouts guessed for the first unreadable lines are added to layoutGuesses, up to
// kLinesBeforeLayoutHint in all.
void ReadDayText(std::string_view text, LineOrder order, std::string_view separator,
                 DayCoverage& day, std::vector<std::optional<LineLayout>>* layoutGuesses = nullptr);

// Learns the symbol's usual day from its days, then sets each day's state and holes. A day is
// short with fewer quotes than 90 % of the day's usualQuotes, so that the days before a
// symbol's quotes came closer together are not short beside the days after. A hole is a gap between
// consecutive quotes longer than the day's longestUsualGap within the usual span, so that the hours
// a market is closed are no hole. On a day whose quotes keep one spacing that is three spacings; on
// a day of ticks it is also the run of minutes without a quote that fewer than one day in a
// thousand would show anywhere in its span if the day's quote-less minutes fell at random. The
// first state that applies wins: missing, unreadable, empty, short, holed; a short day still has
// its holes listed. Needs only each day's first and last price, its counts and its long gaps, so
// the prices may be thinned before.
void AssessSymbol(SymbolCoverage& symbol);

} // namespace pellmark
