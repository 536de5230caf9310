// Writes one symbol-day's result lines to the save folder, atomically: a day file is
// either complete or absent, never half written, and never lands outside the folder.
#pragma once

#include "core/Lines.h"
#include "core/Result.h"

#include <string>

namespace pellmark {

// folderText, with the separator added when it lacks one, + symbol + "-" + dateLabel + ".txt"
std::string DayFilePath(const std::string& folderText, const std::string& symbol,
                        const std::string& dateLabel);

// Each line followed by CR LF; an existing file is replaced, whole or not at all. The reason
// of a failure is a sentence ("No save folder is given.") or the system's ("Not a directory").
Done SaveDayFile(const std::string& folderText, const std::string& symbol,
                 const std::string& dateLabel, const Lines& lines);

} // namespace pellmark
