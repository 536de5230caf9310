// Converts the UTF-8 pages into the character set the service declares on the wire.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pellmark {

// Empty when iconv does not know the charset or cannot represent the text.
std::optional<std::string> RecodeFromUtf8(std::string_view text, const std::string& charset);

} // namespace pellmark
