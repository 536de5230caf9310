// How much reading one page's body may take, for the page-body helper, the program reading
// its output and pellmark-parse-page alike: a page that needs more is too complex to read.
// A few hundred kilobytes of formatting elements reopened in every paragraph would otherwise
// build a tree of gigabytes.
#pragma once

#include "core/Result.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace pellmark {

// A bigger answer is a failed page rather than a reason to run out of memory; real quote
// pages are tens of kilobytes.
inline constexpr std::size_t kLargestPage = 16u << 20;
// Entities and implied end tags make a body somewhat larger than its page.
inline constexpr std::size_t kLargestBody = 2 * kLargestPage;
// Address space the reading may add: the largest page reads in under 200 MB.
inline constexpr std::size_t kPageReadingMemory = 256u << 20;

// The body HTML of an answer (SerialiseBody); "page too complex" when reading it needs more
// address space than kPageReadingMemory or gives a body larger than kLargestBody. The address space
// is capped for the whole process while the reading runs: call it only with no other thread
// allocating. Sanitizer builds, whose shadow memory takes terabytes of address space, are
// bounded by the body size alone.
Result<std::string> ReadBodyWithinBounds(std::string_view responseBytes,
                                         std::string_view contentType);

} // namespace pellmark
