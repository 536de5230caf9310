// Works out which encoding an HTML response is in, the way browsers do, before any of it is
// decoded.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pellmark {

struct SniffedEncoding {
    std::string encoding;                // as EncodingForLabel names it
    std::size_t byteOrderMarkLength = 0; // bytes to skip before decoding
};

// A byte order mark wins, then the charset parameter of contentType, then a <meta>
// declaration in the first 1024 bytes, else Windows-1252.
SniffedEncoding SniffHtmlEncoding(std::string_view bytes, std::string_view contentType);

} // namespace pellmark
