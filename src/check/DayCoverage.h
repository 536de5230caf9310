// Judges each week-day of one symbol: complete, missing, empty, unreadable, short, or holed.
// What is usual is learnt from the files themselves: when the symbol's days of the same rhythm
// have quotes, so that a currency pair traded round the clock, a stock traded from 09:30 to
// 16:00, an illiquid stock with a bar only in minutes with a trade and ticks thinning out at
// midday are each judged by their own session, and a symbol whose spacing changed over the
// years by the days of each spacing.
#pragma once

#include "check/Coverage.h"
#include "core/QuoteLine.h"

#include <optional>
#include <string_view>
#include <vector>

namespace pellmark {

// Whether fetching the day again may mend it: missing, empty, unreadable or short. A holed day
// may not: the gap is in the service's own data, and a fetch brings it back. Nor may a day the
// record says the service has no more of, nor a running one. The retry list and
// pellmark-batch --heal both ask this.
bool FetchMayMend(DayState state);

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
