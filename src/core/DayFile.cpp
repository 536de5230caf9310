#include "core/DayFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pellmark {

namespace {

[[noreturn]] void Fail(const std::string& path, const std::string& reason) {
    throw FileError("Cannot create file \"" + path + "\". " + reason);
}

// The part of the name that comes from the symbol and the date label must stay a plain
// name inside the folder.
bool IsPlainName(const std::string& name) {
    return name.find('/') == std::string::npos && name.find('\0') == std::string::npos &&
           name.find("..") == std::string::npos;
}

mode_t CurrentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

bool WriteAll(int fd, const std::string& bytes) {
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        written += static_cast<std::size_t>(n);
    }
    return true;
}

// The folder field can be typed over: a folder named without its trailing separator is still
// that folder.
std::string FolderPrefix(const std::string& folderText) {
    return folderText.empty() || folderText.back() == '/' ? folderText : folderText + '/';
}

} // namespace

void RemoveStaleTempFiles(const std::string& folderText) {
    if (folderText.empty())
        return;
    const std::string folder = FolderPrefix(folderText);
    DIR* listing = ::opendir(folder.c_str());
    if (!listing)
        return;
    const std::time_t now = std::time(nullptr);
    while (const dirent* entry = ::readdir(listing)) {
        const std::string name = entry->d_name;
        if (name.rfind(kTempFilePrefix, 0) != 0)
            continue;
        const std::string path = folder + name;
        struct stat info {};
        if (::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            now - info.st_mtime > kStaleTempFileSeconds)
            ::unlink(path.c_str());
    }
    ::closedir(listing);
}

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

    std::string temp = FolderPrefix(folderText) + std::string(kTempFilePrefix) + "XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        Fail(path, std::strerror(errno));
    // mkstemp makes the file private; a day file gets the usual permissions.
    ::fchmod(fd, 0666 & ~CurrentUmask());

    const std::string bytes = JoinLines(lines);
    if (!WriteAll(fd, bytes) || ::fsync(fd) != 0) {
        const int error = errno;
        ::close(fd);
        ::unlink(temp.c_str());
        Fail(path, std::strerror(error));
    }
    ::close(fd);
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        Fail(path, std::strerror(error));
    }
}

} // namespace pellmark
