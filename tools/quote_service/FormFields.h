// Decodes an application/x-www-form-urlencoded body or query string into its fields.
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace pellmark {

using FormFields = std::map<std::string, std::string, std::less<>>;

// '+' becomes a space and %XX the byte XX; a '%' not followed by two hex digits stays as it is.
// Of a field given twice the first value counts.
FormFields DecodeFormFields(std::string_view encoded);

// Percent-escapes everything but letters, digits and "-._~".
std::string EncodeFormValue(std::string_view value);

} // namespace pellmark
