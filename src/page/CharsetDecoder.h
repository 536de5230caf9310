// Decodes text in a known encoding to UTF-8 as browsers do: each invalid sequence becomes
// U+FFFD, and an encoding iconv cannot open reads as Windows-1252.
#pragma once

#include <string>
#include <string_view>

namespace pellmark {

// encoding: a name EncodingForLabel gives.
std::string DecodeToUtf8(std::string_view encoding, std::string_view bytes);

} // namespace pellmark
