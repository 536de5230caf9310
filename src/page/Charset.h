// Decodes an HTML response to UTF-8, in the encoding a browser would read it with.
#pragma once

#include "page/CharsetLabels.h"

#include <string>
#include <string_view>

namespace pellmark {

// A byte order mark wins, then the charset parameter of contentType, then a <meta>
// declaration in the first 1024 bytes, else Windows-1252. Bytes that are invalid in the
// chosen encoding become U+FFFD; a refused stateful encoding gives a single U+FFFD.
std::string DecodeHtmlToUtf8(std::string_view bytes, std::string_view contentType);

} // namespace pellmark
