// The window program's own options, answered before any window system is needed, so that
// the manual page can be generated and the version checked on machines without a display.
#pragma once

#include <optional>

namespace pellmark {

// Prints the help or the version and returns the exit code when the arguments ask for one of
// them; returns nothing when the window should open. Other arguments are left to Qt.
std::optional<int> AnswerCommandLine(int argc, const char* const* argv);

} // namespace pellmark
