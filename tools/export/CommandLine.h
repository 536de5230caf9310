// The command line of pellmark-export: its options, read into export options, and the
// usage text that --help prints (and the manual page is made from).
#pragma once

#include "export/DayFileExport.h"

#include <QString>

#include <string>

namespace pellmark {

std::string ExportUsage();

struct CommandLine {
    enum class Action { Export, Help, Version, UsageError };
    Action action = Action::Export;
    ExportOptions options;
    QString error; // for UsageError: what was wrong, in one line
};

// Accepts "--opt VALUE" and "--opt=VALUE"; "--" ends the options. The separator is read in
// the locale's encoding, as the day files were written with it.
CommandLine ParseCommandLine(int argc, char** argv);

} // namespace pellmark
