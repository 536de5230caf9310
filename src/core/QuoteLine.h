// Reads the lines of a day file: splits its text into lines, and each line into its time and
// price, given the layout the run that wrote the file used (line order and separator); guesses
// the layout of a line that does not split, to tell the user which options would read it.
// pellmark-export and pellmark-check read day files through it, so they agree on every line.
#pragma once

#include "core/LineOrder.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pellmark {

// Calls onLine(line, number) for every line of text, without its break, numbered from 1.
// Lines end at CR, LF or CR LF; a last line without a break counts too.
template <typename OnLine> void ForEachDayFileLine(std::string_view text, OnLine onLine) {
    int number = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        // A plain scan: find_first_of and comparing views call the C library for every byte.
        std::size_t end = start;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n')
            ++end;
        onLine(text.substr(start, end - start), ++number);
        start = end + (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n' ? 2 : 1);
    }
}

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
