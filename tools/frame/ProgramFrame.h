// What every command-line program of Pellmark says alike: its version, its help, a wrong
// command line and a stop by signal, each worded once here. Made first thing in main, it also
// catches the stop signals from then on (see StopSignals).
#pragma once

#include "CommandLineRules.h"

#include <QDate>
#include <QString>

#include <optional>
#include <string>
#include <string_view>

namespace pellmark {

inline constexpr int kExitUsage = 2;

class ProgramFrame {
public:
    explicit ProgramFrame(const char* name);

    // Each returns the exit status to end main with. Help and version go to standard output:
    // 0, or 1 when it did not take them (a full disk, a closed pipe), which is then told.
    int PrintHelp(std::string_view text) const;
    int PrintVersion() const;
    // Writes `what` (such as "the day"; help and version name none) to standard output: 0,
    // or, told on standard error with the system's reason, 1.
    int PrintOut(std::string_view text, std::string_view what) const;
    // "NAME: REASON" and a pointer to --help on standard error; 2.
    int UsageError(std::string_view reason) const;
    // "NAME: stopped by SIGTERM", then "; " and what was done, when given; 128 + the signal.
    int Stopped(int signalNumber, std::string_view done = {}) const;

    // The exit status for an argument that is not valid UTF-8, named with its odd bytes
    // escaped: no argument is ever read with those bytes replaced.
    std::optional<int> RefuseNonUtf8(int argc, const char* const* argv) const;

    // The exit status when the clock's GMT date (see ServiceDay.h) is a day no day file can
    // name: every date the program works out from it would be a century off.
    std::optional<int> RefuseClock(QDate today) const;

    // Each day file of folder whose name is not valid UTF-8, which no program can read as
    // its name says, told on standard error with its odd bytes escaped; how many there are.
    int TellNonUtf8Names(const QString& folder) const;

private:
    const char* name_;
};

} // namespace pellmark
