// pellmark-export: the day files of a save folder as one series per symbol.
#include "CommandLine.h"
#include "core/ServiceDay.h"
#include "ProgramFrame.h"
#include "StopSignals.h"

#include <QFileInfo>

#include <cstdio>

int main(int argc, char** argv) {
    // Ctrl+C, kill and a closed terminal end the export after the file in hand, never inside one.
    const pellmark::ProgramFrame frame("pellmark-export");
    if (const auto refused = frame.RefuseNonUtf8(argc, argv))
        return *refused;
    const QDate today = pellmark::ServiceClock::Machine().Today();
    if (const auto refused = frame.RefuseClock(today))
        return *refused;
    using pellmark::CommandLine;
    CommandLine line = pellmark::ParseCommandLine(argc, argv);
    switch (line.action) {
    case CommandLine::Action::Help:
        return frame.PrintHelp(pellmark::ExportUsage());
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

    // A day file whose name is not UTF-8 cannot be read as the day it names: skipped and told.
    const bool namesSkipped = frame.TellNonUtf8Names(line.options.folder) > 0;
    line.options.stop = &pellmark::StopSignals::StopAsked();
    line.options.today = today;
    const pellmark::ExportReport report = pellmark::ExportDayFiles(line.options);
    for (const pellmark::ExportProblem& problem : report.problems)
        std::fprintf(stderr, "pellmark-export: %s\n", qPrintable(pellmark::ProblemText(problem)));
    for (const pellmark::ExportProblem& note : report.notes)
        std::fprintf(stderr, "pellmark-export: %s\n", qPrintable(pellmark::ProblemText(note)));
    // What was written is the result, on standard output; what was not, on standard error.
    for (const pellmark::ExportedSeries& series : report.written)
        std::printf("%s\n", qPrintable(pellmark::WrittenText(series)));
    // A reader that stopped early (| head) costs the listing, not the files.
    const bool listingCut = std::fflush(stdout) != 0 || std::ferror(stdout) != 0;
    if (listingCut)
        std::fprintf(stderr, "pellmark-export: the listing on standard output was cut short\n");
    for (const QString& symbol : report.symbolsWithoutDayFiles)
        std::fprintf(stderr, "pellmark-export: no day files for %s\n", qPrintable(symbol));
    if (report.stopped)
        return frame.Stopped(pellmark::StopSignals::LastStop(),
                             line.options.database.isEmpty()
                                 ? std::to_string(report.written.size()) + " file(s) written"
                                 : line.options.database.toStdString() + " left as it was");
    if (!report.problems.empty())
        std::fprintf(stderr, "pellmark-export: skipped %d line(s) and %d file(s)\n",
                     report.linesSkipped, report.filesSkipped);
    return report.problems.empty() && report.symbolsWithoutDayFiles.empty() && !listingCut &&
                   !namesSkipped
               ? 0
               : 1;
}
