// The text rules every list of lines in the program follows: splitting text into
// lines at CR, LF or CR LF, joining lines with CR LF, and the 1-based sub.
#pragma once

#include "core/Lines.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace pellmark {

// Splits at CR, LF or CR LF (LF CR is two breaks); a break at the very end starts no
// further line; anything after a NUL is ignored. An empty text has no lines.
Lines SplitLines(std::string_view text);

// The number of lines SplitLines gives, without building them.
std::size_t CountLines(std::string_view text);

// SplitLines and CountLines for a file the user keeps (a retry list, a symbols file), where a
// NUL is part of its line: the lines after it are as much the user's as those before.
Lines SplitFileLines(std::string_view text);
std::size_t CountFileLines(std::string_view text);

// Every line followed by CR LF, the last one included.
std::string JoinLines(const Lines& lines);

// Split then join: the form every page and memo text is normalised to.
std::string NormaliseLines(std::string_view text);

// Up to count characters of text from position index (counted from 1), as a view into text.
// An index below 1 counts as 1; an index past the end or a count of 0 or less gives an empty
// text.
std::string_view SubView(std::string_view text, long long index, long long count);

} // namespace pellmark
