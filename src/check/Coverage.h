// What the check knows of a symbol's days: each day's quotes as read, its rhythm and its state,
// and what the symbol's days have in common. DayCoverage.h judges them, UsualDay.h holds what
// a day is judged against; both use these types and neither includes the other's header.
#pragma once

#include <QDate>
#include <QString>

#include <bitset>
#include <vector>

namespace pellmark {

// Fewer days than this of one rhythm say too little about when it has quotes.
inline constexpr int kDaysForRhythm = 3;
inline constexpr int kMinutesPerDay = 24 * 60;

// Running: the service's day has not ended, or had not when its file was saved (see
// ServiceDay.h); its file is not judged complete, short, holed or missing, and the next update
// fetches it again. AtService: the folder's market record says the service has no more of the
// day (set by folder/ServiceDays.h, which reads the record).
enum class DayState { Complete, Missing, Empty, Unreadable, Short, Holed, Running, AtService };

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

} // namespace pellmark
