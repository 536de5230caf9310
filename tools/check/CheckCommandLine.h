// The command line of pellmark-check, read with QCommandLineParser into check options and
// the two files it may write; --help also prints what the manual page is made from.
#pragma once

#include "check/FolderCheck.h"

#include <QString>
#include <QStringList>

namespace pellmark {

struct CheckCommandLine {
    enum class Action { Check, Help, Version, UsageError };
    Action action = Action::Check;
    CheckOptions options;
    QString retryList; // empty: none written
    QString html;      // empty: none written
    QString text;      // the help text, or for UsageError what was wrong, in one line
};

// Needs a QCoreApplication. The separator is taken byte for byte, as the day files hold it.
CheckCommandLine ParseCheckCommandLine(const QStringList& arguments);

} // namespace pellmark
