// ASCII-only text helpers for reading charset labels and markup before the encoding is known:
// case folding and whitespace as HTML defines them, blind to every other byte.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

namespace pellmark {

inline bool IsAsciiWhitespace(char c) {
    return c == '\t' || c == '\n' || c == '\f' || c == '\r' || c == ' ';
}

inline char ToAsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string ToAsciiLower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return ToAsciiLower(c); });
    return lower;
}

// prefix must be lower case.
inline bool StartsWithIgnoringCase(std::string_view text, std::size_t pos,
                                   std::string_view prefix) {
    if (text.size() - pos < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (ToAsciiLower(text[pos + i]) != prefix[i])
            return false;
    }
    return true;
}

inline std::string_view TrimAsciiWhitespace(std::string_view text) {
    while (!text.empty() && IsAsciiWhitespace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsAsciiWhitespace(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace pellmark
