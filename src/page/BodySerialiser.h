// Turns an HTTP response body into the HTML of its <body> element as an embedded
// browser serialises it (innerHTML with element names in upper case), in UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace pellmark {

// contentType is the response's Content-Type header value (may be empty); its charset,
// else a <meta> charset in the document, else Windows-1252 decodes the bytes.
std::string SerialiseBody(std::string_view responseBytes, std::string_view contentType);

} // namespace pellmark
