// The 1-based find and sub of the page rules, owning their result: the step-by-step walk is
// written with them, and the rules of SubView are checked through them.
#pragma once

#include "core/TextLines.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace pellmark {

// Position of the first occurrence of needle in text, counted from 1; 0 when absent.
// An empty needle is never found, so a loop that steps past each match cannot stall.
inline std::size_t Find(std::string_view needle, std::string_view text) {
    if (needle.empty())
        return 0;
    const std::size_t at = text.find(needle);
    return at == std::string_view::npos ? 0 : at + 1;
}

// SubView as a copy.
inline std::string Sub(std::string_view text, long long index, long long count) {
    return std::string(SubView(text, index, count));
}

} // namespace pellmark
