#include "core/SystemTexts.h"

#include <clocale>

namespace pellmark {

void KeepSystemTextsEnglish() {
    std::setlocale(LC_MESSAGES, "C");
    std::setlocale(LC_NUMERIC, "C");
}

} // namespace pellmark
