#include "Recode.h"

#include "page/IconvConversion.h"

namespace pellmark {

std::optional<std::string> RecodeFromUtf8(std::string_view text, const std::string& charset) {
    return IconvConversion(charset, "UTF-8").convert(text);
}

} // namespace pellmark
