#include "ProgramFrame.h"

#include "StopSignals.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <string>

namespace pellmark {

ProgramFrame::ProgramFrame(const char* name) : name_(name) {
    StopSignals::Install();
}

int ProgramFrame::PrintHelp(std::string_view text) const {
    return PrintOut(text, {});
}

int ProgramFrame::PrintVersion() const {
    return PrintOut(VersionLine(name_), {});
}

int ProgramFrame::PrintOut(std::string_view text, std::string_view what) const {
    errno = 0;
    std::fwrite(text.data(), 1, text.size(), stdout);
    if (std::fflush(stdout) == 0 && !std::ferror(stdout))
        return 0;
    const std::string told = what.empty() ? "" : std::string(what) + " ";
    std::fprintf(stderr, "%s: cannot write %sto standard output: %s\n", name_, told.c_str(),
                 std::strerror(errno));
    return 1;
}

int ProgramFrame::UsageError(std::string_view reason) const {
    std::fprintf(stderr, "%s: %.*s\nTry '%s --help' for more information.\n", name_,
                 static_cast<int>(reason.size()), reason.data(), name_);
    return kExitUsage;
}

int ProgramFrame::Stopped(int signalNumber, std::string_view done) const {
    std::fprintf(stderr, "%s: stopped by %s%s%.*s\n", name_, StopSignals::Name(signalNumber),
                 done.empty() ? "" : "; ", static_cast<int>(done.size()), done.data());
    return 128 + signalNumber;
}

std::optional<int> ProgramFrame::RefuseNonUtf8(int argc, const char* const* argv) const {
    for (int i = 1; i < argc; ++i)
        if (!IsValidUtf8(argv[i]))
            return UsageError("an argument is not valid UTF-8: " + EscapedBytes(argv[i]));
    return std::nullopt;
}

std::optional<int> ProgramFrame::RefuseClock(QDate today) const {
    const auto problem = ClockProblem(today);
    if (!problem)
        return std::nullopt;
    std::fprintf(stderr, "%s: %s\n", name_, problem->c_str());
    return kExitUsage;
}

int ProgramFrame::TellNonUtf8Names(const QString& folder) const {
    const QByteArray path = QFile::encodeName(folder);
    DIR* directory = ::opendir(path.constData());
    if (!directory)
        return 0;
    int told = 0;
    while (const dirent* entry = ::readdir(directory)) {
        const std::string_view name(entry->d_name);
        if (name.ends_with(".txt") && !IsValidUtf8(name)) {
            std::fprintf(stderr, "%s: %s/%s: not read: its name is not valid UTF-8\n", name_,
                         EscapedBytes(path.toStdString()).c_str(), EscapedBytes(name).c_str());
            ++told;
        }
    }
    ::closedir(directory);
    return told;
}

} // namespace pellmark
