// Writes one symbol-day's result lines to the save folder, atomically: a day file is
// either complete or absent, never half written, and never lands outside the folder.
#pragma once

#include "quote/PageText.h"

#include <stdexcept>
#include <string>

namespace pellmark {

// The message is the standard report: Cannot create file "<path>". <reason>
class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Temporary files are hidden and carry this prefix, so a killed run leaves nothing that
// looks like a day file.
inline constexpr std::string_view kTempFilePrefix = ".pellmark-";

// A temporary file this old was left by a run that was killed while saving: the write and
// rename of a day file take far less.
inline constexpr int kStaleTempFileSeconds = 600;

// Removes the temporary files of killed runs from the save folder; quietly does nothing
// when the folder cannot be read.
void RemoveStaleTempFiles(const std::string& folderText);

// folderText, with the separator added when it lacks one, + symbol + "-" + dateLabel + ".txt"
std::string DayFilePath(const std::string& folderText, const std::string& symbol,
                        const std::string& dateLabel);

// Each line followed by CR LF; an existing file is replaced. Throws FileError.
void SaveDayFile(const std::string& folderText, const std::string& symbol,
                 const std::string& dateLabel, const Lines& lines);

} // namespace pellmark
