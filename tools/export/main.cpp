// pellmark-export: the day files of a save folder as one CSV series per symbol.
#include "CommandLine.h"
#include "ProgramFrame.h"
#include "StopSignals.h"

#include <QFileInfo>

#include <cstdio>

int main(int argc, char** argv) {
    // Ctrl+C, kill and a closed terminal end the export after the CSV in hand, never inside one.
    const pellmark::ProgramFrame frame("pellmark-export");
    if (const auto refused = frame.RefuseNonUtf8(argc, argv))
        return *refused;
    using pellmark::CommandLine;
    CommandLine line = pellmark::ParseCommandLine(argc, argv);
    switch (line.action) {
    case CommandLine::Action::Help:
        return frame.PrintHelp(pellmark::kExportUsage);
    case CommandLine::Action::Version:
        return frame.PrintVersion();
    case CommandLine::Action::UsageError:
        return frame.UsageError(line.error.toStdString());
    case CommandLine::Action::Export:
        break;
    }
    for (const QString& path : {line.options.folder, line.options.outDir})
        if (const auto reason = pellmark::UnexpandedHomeReason(path))
            return frame.UsageError(*reason);
    if (!QFileInfo(line.options.folder).isDir())
        return frame.UsageError(
            QStringLiteral("'%1' is not a folder").arg(line.options.folder).toStdString());

    frame.TellNonUtf8Names(line.options.folder);
    line.options.stop = &pellmark::StopSignals::StopAsked();
    const pellmark::ExportReport report = pellmark::ExportDayFiles(line.options);
    for (const pellmark::ExportProblem& problem : report.problems)
        std::fprintf(stderr, "pellmark-export: %s\n", qPrintable(pellmark::ProblemText(problem)));
    for (const pellmark::ExportProblem& note : report.notes)
        std::fprintf(stderr, "pellmark-export: %s\n", qPrintable(pellmark::ProblemText(note)));
    // What was written is the result, on standard output; what was not, on standard error.
    for (const pellmark::ExportedCsv& csv : report.csvFiles)
        std::printf("%s\n", qPrintable(pellmark::WrittenText(csv)));
    // A reader that stopped early (| head) costs the listing, not the CSVs.
    const bool listingCut = std::fflush(stdout) != 0 || std::ferror(stdout) != 0;
    if (listingCut)
        std::fprintf(stderr, "pellmark-export: the listing on standard output was cut short\n");
    for (const QString& symbol : report.symbolsWithoutDayFiles)
        std::fprintf(stderr, "pellmark-export: no day files for %s\n", qPrintable(symbol));
    if (report.stopped)
        return frame.Stopped(pellmark::StopSignals::LastStop(),
                             std::to_string(report.csvFiles.size()) + " CSV(s) written");
    if (!report.problems.empty())
        std::fprintf(stderr, "pellmark-export: skipped %d line(s) and %d file(s)\n",
                     report.linesSkipped, report.filesSkipped);
    return report.problems.empty() && report.symbolsWithoutDayFiles.empty() && !listingCut ? 0 : 1;
}
