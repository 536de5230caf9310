// Works out the character encoding of an HTML response the way browsers do and
// decodes its bytes to UTF-8.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pellmark {

// The encoding a charset label stands for, as a name iconv accepts ("windows-1252" for the
// whole Latin-1 family, which browsers decode as Windows-1252); nothing for a label that
// names no encoding we can decode.
std::optional<std::string> EncodingForLabel(std::string_view label);

// Decodes an HTML response to UTF-8. A byte order mark wins, then the charset parameter of
// contentType, then a <meta> declaration in the first 1024 bytes, else Windows-1252.
// Bytes that are invalid in the chosen encoding become U+FFFD.
std::string DecodeHtmlToUtf8(std::string_view bytes, std::string_view contentType);

} // namespace pellmark
