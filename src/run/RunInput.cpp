#include "run/RunInput.h"

#include "core/TextLines.h"

#include <algorithm>

namespace pellmark {

std::vector<std::string> ListedSymbols(std::string_view text) {
    std::vector<std::string> symbols;
    for (std::string& line : SplitLines(text))
        if (!QString::fromStdString(line).trimmed().isEmpty())
            symbols.push_back(std::move(line));
    return symbols;
}

std::optional<InputRefusal> CheckSymbols(const std::vector<std::string>& symbols) {
    if (symbols.empty())
        return InputRefusal::NoSymbols;
    return std::nullopt;
}

std::optional<InputRefusal> CheckRange(QDate start, QDate end) {
    if (start > end)
        return InputRefusal::StartAfterEnd;
    return std::nullopt;
}

std::optional<InputRefusal> CheckNotAfterToday(QDate end, QDate today) {
    if (end > today)
        return InputRefusal::EndAfterToday;
    return std::nullopt;
}

std::optional<InputRefusal> CheckSeparator(const QString& separator) {
    if (separator.toUcs4().size() > kMostSeparatorCharacters)
        return InputRefusal::SeparatorTooLong;
    if (HasControlCharacter(separator))
        return InputRefusal::SeparatorHasControl;
    return std::nullopt;
}

bool HasControlCharacter(const QString& text) {
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.category() == QChar::Other_Control; });
}

} // namespace pellmark
