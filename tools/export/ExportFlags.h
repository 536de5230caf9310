// The options that choose how an export is written, defined once for pellmark-export and
// pellmark-batch (--csv, --sqlite): --layout, --bars, --tz, --with-running-day and --sqlite,
// their help and the complaints about their values.
#pragma once

#include "export/DayFileExport.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>

#include <optional>
#include <string>
#include <string_view>

namespace pellmark {

class ExportFlags {
public:
    ExportFlags();
    QList<QCommandLineOption> Options() const { return options_; }
    // Whether one of them is given, naming it ("--tz"): pellmark-batch takes them only with
    // an export.
    std::optional<std::string> AnyGiven(const QCommandLineParser& parser) const;
    // Reads the values given into options; the complaint, in one line, when one is wrong or
    // they do not go together.
    std::optional<std::string> Take(const QCommandLineParser& parser, ExportOptions& options) const;
    // Their lines of the programs' --help.
    static std::string_view Help();

private:
    QCommandLineOption layout_, bars_, tz_, withRunningDay_, sqlite_;
    QList<QCommandLineOption> options_;
};

} // namespace pellmark
