#include "core/DayFile.h"
#include "core/TextLines.h"

#include "core/WholeFile.h"

namespace pellmark {

namespace {

[[noreturn]] void Fail(const std::string& path, const std::string& reason) {
    throw FileError("Cannot create file \"" + path + "\". " + reason);
}

// The name made of the symbol and the date label must stay a plain name inside the folder;
// dots alone cannot take it out, as the name always ends in ".txt".
bool IsPlainName(const std::string& name) {
    return name.find('/') == std::string::npos && name.find('\0') == std::string::npos;
}

// The folder field can be typed over: a folder named without its trailing separator is still
// that folder.
std::string FolderPrefix(const std::string& folderText) {
    return folderText.empty() || folderText.back() == '/' ? folderText : folderText + '/';
}

} // namespace

std::string DayFilePath(const std::string& folderText, const std::string& symbol,
                        const std::string& dateLabel) {
    return FolderPrefix(folderText) + symbol + "-" + dateLabel + ".txt";
}

void SaveDayFile(const std::string& folderText, const std::string& symbol,
                 const std::string& dateLabel, const Lines& lines) {
    const std::string path = DayFilePath(folderText, symbol, dateLabel);
    // An empty field names no folder, not the current directory.
    if (folderText.empty())
        Fail(path, "No save folder is given.");
    if (!IsPlainName(symbol + "-" + dateLabel))
        Fail(path, "The symbol or date cannot name a file in the save folder.");

    // The file is written whole or not at all: a killed run or a full disk leaves the old
    // file, or none, and never a half or empty one.
    if (const auto reason = WriteWholeFile(QString::fromStdString(path), JoinLines(lines)))
        Fail(path, *reason);
}

} // namespace pellmark
