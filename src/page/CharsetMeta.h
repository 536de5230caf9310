// Finds the encoding a document declares in a <meta> tag among its first bytes, reading the
// markup the way browsers do before they know the encoding.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pellmark {

// Only the first 1024 bytes count; comments and attribute values hide what they hold.
std::optional<std::string> EncodingFromMetaPrescan(std::string_view bytes);

} // namespace pellmark
