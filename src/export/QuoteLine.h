// Splits one line of a day file into its time and price, given the layout the run that
// wrote the file used (line order and separator), and guesses the layout of a line that
// does not split, to tell the user which options would read it.
#pragma once

#include "quote/IntradayParser.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pellmark {

// Views into the line given to SplitQuoteLine.
struct Quote {
    std::string_view time;  // "HH:MM"
    std::string_view price; // digits, optionally a point and more digits
};

// The time is the first five characters (time first) or the last five (price first), so a
// separator that holds a hyphen, a colon or a digit, or none at all, still splits a
// well-formed line in the one right place. Empty when the line is not exactly a time, the
// separator and a price in the given order, with the hour 00-23 and the minute 00-59.
std::optional<Quote> SplitQuoteLine(std::string_view line, LineOrder order,
                                    std::string_view separator);

struct LineLayout {
    LineOrder order = LineOrder::PriceFirst;
    std::string separator;
    bool operator==(const LineLayout&) const = default;
};

// The one layout in which line is a time and a price; empty when there is none, or when
// both orders would read it.
std::optional<LineLayout> GuessLayout(std::string_view line);

// Enough lines for a guess at their layout not to rest on a stray one.
inline constexpr int kLinesBeforeLayoutHint = 10;

// What most of the guessed lines seem to be and the options that would read them ("these
// lines look like TIME then PRICE: try --time-first"); empty when most of them agree on no
// layout, or on the one given.
std::optional<std::string> LayoutHint(const std::vector<std::optional<LineLayout>>& guesses,
                                      LineOrder order, std::string_view separator);

// The layout as a reader would write it, for messages: "PRICE - HH:MM".
std::string LayoutText(LineOrder order, std::string_view separator);

} // namespace pellmark
