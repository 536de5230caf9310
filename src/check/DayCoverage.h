// Judges each week-day of one symbol: complete, missing, empty, unreadable, short, or holed.
// What is usual is learnt from the files themselves: when the symbol's days of the same rhythm
// have quotes, so that a currency pair traded round the clock, a stock traded from 09:30 to
// 16:00, an illiquid stock with a bar only in minutes with a trade and ticks thinning out at
// midday are each judged by their own session, and a symbol whose spacing changed over the
// years by the days of each spacing.
#pragma once

#include "core/QuoteLine.h"

#include <QDate>
#include <QString>

#include <bitset>
#include <optional>
#include <string_view>
#include <vector>

namespace pellmark {

// Fewer days than this of one rhythm say too little about when it has quotes.
inline constexpr int kDaysForRhythm = 3;
inline constexpr int kMinutesPerDay = 24 * 60;

// Running: the service's day has not ended, or had not when its file was saved (see
// ServiceDay.h); its file is not judged complete, short, holed or missing, and the next update
// fetches it again. AtService: the folder's market record says the service has no more of the
// day (ServiceDays.h).
enum class DayState { Complete, Missing, Empty, Unreadable, Short, Holed, Running, AtService };

// Whether fetching the day again may mend it: missing, empty, unreadable or short. A holed day
// may not: the gap is in the service's own data, and a fetch brings it back. Nor may a day the
// record says the service has no more of, nor a running one. The retry list and
// pellmark-batch --heal both ask this.
bool FetchMayMend(DayState state);

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
    // The day's quote times, several quotes at one time counting once.
    std::bitset<kMinutesPerDay> times;
    int quotes = 0;             // how many times have a quote
    bool repeatedTimes = false; // some time has more than one quote, as ticks do
    // The day's quotes in time order (equal times keep their order in the file).
    std::vector<PricePoint> prices;
    // The day's rhythm: its most common gap between quote times in minutes (0 with fewer than
    // two), and the gaps longer than three of them, the only ones that may be holes.
    int spacing = 0;
    std::vector<Span> longGaps;
    // The median number of quote times of the symbol's days of the same spacing, when at
    // least kDaysForRhythm days share it; else of all its days.
    int usualQuotes = 0;
    DayState state = DayState::Missing;
    std::vector<Span> holes; // from and to are the times of the quotes either side
};

struct SymbolCoverage {
    QString symbol;
    std::vector<DayCoverage> days; // every week-day of the range up to today, oldest first
    // Learnt from the days with quotes; 0 when there are none.
    int usualQuotes = 0;             // the median number of quote times a day (the upper of two)
    int usualSpacing = 0;            // the median of the days' own spacings, in minutes
    bool irregular = false;          // most days have several quotes at one time (tick data)
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

// Learns the symbol's usual days, then sets each day's state and holes. A day is judged by
// when its quotes are present against when its usual days have quotes: the symbol's days of
// its spacing (or all, see usualQuotes), in slots of its spacing, within their session (from
// their median first to their median last quote time). Short, data lost rather than a quiet
// day: its usual days together have more than a tenth of their slots with a quote before
// its first quote's slot or after its last quote's slot, or it has fewer than
// 90 % of usualQuotes and is further below it than eight times the median distance of its
// usual days from it. A hole: see UsualDay::Hole. The first state that applies wins: missing,
// unreadable, empty, short, holed; a short day still has its holes listed. Needs only each
// day's times, counts, first and last price and long gaps, so the prices may be thinned before.
void AssessSymbol(SymbolCoverage& symbol);

} // namespace pellmark
