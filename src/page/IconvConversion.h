// One iconv conversion between two encodings over a whole text, its output grown as needed.
// The page decoder and the local quote service's recoder share it.
#pragma once

#include <iconv.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace pellmark {

// How many bytes at the start of rest an invalid sequence spans.
using InvalidSpan = std::function<std::size_t(std::string_view rest)>;

class IconvConversion {
public:
    IconvConversion(const std::string& to, const std::string& from);
    ~IconvConversion();
    IconvConversion(const IconvConversion&) = delete;
    IconvConversion& operator=(const IconvConversion&) = delete;

    // False when iconv does not know one of the two encodings.
    bool valid() const;

    // The whole text converted and the shift state flushed; nothing when the conversion is
    // not valid or a sequence is invalid, cut off, or cannot be written in the target.
    std::optional<std::string> convert(std::string_view bytes);

    // The same, but each such sequence becomes replacement and the conversion goes on after
    // the bytes span says it covers; a sequence cut off by the end covers the rest. Nothing
    // only when the conversion is not valid.
    std::optional<std::string>
    convertReplacing(std::string_view bytes, std::string_view replacement, const InvalidSpan& span);

private:
    std::optional<std::string> run(std::string_view bytes, std::string_view replacement,
                                   const InvalidSpan* span);

    iconv_t handle_;
};

} // namespace pellmark
