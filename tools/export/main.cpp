// pellmark-export: the day files of a save folder as one CSV series per symbol.
#include "Branding.h"
#include "CommandLine.h"

#include <QFileInfo>

#include <cstdio>

namespace {

int UsageError(const QString& error) {
    std::fprintf(stderr,
                 "pellmark-export: %s\nTry 'pellmark-export --help' for more information.\n",
                 qPrintable(error));
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    using pellmark::CommandLine;
    const CommandLine line = pellmark::ParseCommandLine(argc, argv);
    switch (line.action) {
    case CommandLine::Action::Help:
        std::fputs(pellmark::kExportUsage, stdout);
        return 0;
    case CommandLine::Action::Version:
        std::printf("pellmark-export %s\n", pellmark::kProductVersion);
        return 0;
    case CommandLine::Action::UsageError:
        return UsageError(line.error);
    case CommandLine::Action::Export:
        break;
    }
    if (!QFileInfo(line.options.folder).isDir())
        return UsageError(QStringLiteral("'%1' is not a folder").arg(line.options.folder));

    const pellmark::ExportReport report = pellmark::ExportDayFiles(line.options);
    for (const pellmark::ExportProblem& problem : report.problems)
        std::fprintf(stderr, "pellmark-export: %s\n", qPrintable(pellmark::ProblemText(problem)));
    for (const QString& symbol : report.symbolsWithoutDayFiles)
        std::fprintf(stderr, "pellmark-export: no day files for %s\n", qPrintable(symbol));
    if (!report.problems.empty())
        std::fprintf(stderr, "pellmark-export: skipped %d line(s) and %d file(s)\n",
                     report.linesSkipped, report.filesSkipped);
    return report.problems.empty() ? 0 : 1;
}
