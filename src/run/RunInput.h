// The rules a run's input meets before anything is fetched. Each front words a refusal its
// own way: the window in a warning box, pellmark-batch as a usage error.
#pragma once

#include <QDate>
#include <QString>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pellmark {

enum class InputRefusal {
    NoSymbols,
    StartAfterEnd,
    EndAfterToday, // no quotes exist for it yet
    SeparatorTooLong,
    SeparatorHasControl, // a line break or tab would split every quote line
};

inline constexpr int kMostSeparatorCharacters = 3;

// The symbols of a list typed one a line, each as typed; a line that is empty or holds only
// spaces names none.
std::vector<std::string> ListedSymbols(std::string_view text);

std::optional<InputRefusal> CheckSymbols(const std::vector<std::string>& symbols);
// Only calendar days count; equal days are a range of one day.
std::optional<InputRefusal> CheckRange(QDate start, QDate end);
// The window's date pickers cannot go past today; a typed date can.
std::optional<InputRefusal> CheckNotAfterToday(QDate end, QDate today);
// Characters as the user sees them, not bytes or UTF-16 units.
std::optional<InputRefusal> CheckSeparator(const QString& separator);

bool HasControlCharacter(const QString& text);

} // namespace pellmark
