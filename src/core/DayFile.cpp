#include "core/DayFile.h"
#include "core/TextLines.h"

#include "core/WholeFile.h"

namespace pellmark {

namespace {

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

Done SaveDayFile(const std::string& folderText, const std::string& symbol,
                 const std::string& dateLabel, const Lines& lines) {
    // An empty field names no folder, not the current directory.
    if (folderText.empty())
        return Failure{"No save folder is given."};
    if (!IsPlainName(symbol + "-" + dateLabel))
        return Failure{"The symbol or date cannot name a file in the save folder."};

    // The file is written whole or not at all: a killed run or a full disk leaves the old
    // file, or none, and never a half or empty one.
    return WriteWholeFile(QString::fromStdString(DayFilePath(folderText, symbol, dateLabel)),
                          JoinLines(lines));
}

} // namespace pellmark
