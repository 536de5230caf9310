// The charset labels a response may carry and the encodings browsers read them as.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pellmark {

inline constexpr std::string_view kWindows1252 = "windows-1252";
inline constexpr std::string_view kUtf8 = "UTF-8";
inline constexpr std::string_view kUtf16Le = "UTF-16LE";
inline constexpr std::string_view kUtf16Be = "UTF-16BE";
// Stands for the stateful encodings browsers refuse to decode, since their shifted runs can
// hide markup from anything that scans the bytes: the whole text reads as one U+FFFD.
inline constexpr std::string_view kReplacementEncoding = "replacement";

// The encoding a charset label stands for: kReplacementEncoding, or a name iconv accepts
// ("windows-1252" for the whole Latin-1 family, which browsers decode as Windows-1252);
// nothing for a label that names no encoding we can decode.
std::optional<std::string> EncodingForLabel(std::string_view label);

} // namespace pellmark
