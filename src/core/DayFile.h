// Writes one symbol-day's result lines to the save folder, atomically: a day file is
// either complete or absent, never half written, and never lands outside the folder.
#pragma once

#include "core/Lines.h"

#include <stdexcept>
#include <string>

namespace pellmark {

// The message is the standard report: Cannot create file "<path>". <reason>
class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// folderText, with the separator added when it lacks one, + symbol + "-" + dateLabel + ".txt"
std::string DayFilePath(const std::string& folderText, const std::string& symbol,
                        const std::string& dateLabel);

// Each line followed by CR LF; an existing file is replaced. Throws FileError.
void SaveDayFile(const std::string& folderText, const std::string& symbol,
                 const std::string& dateLabel, const Lines& lines);

} // namespace pellmark
