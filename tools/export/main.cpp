// pellmark-export: the day files of a save folder as one CSV series per symbol.
#include "Branding.h"
#include "CommandLine.h"

#include <QFileInfo>

#include <atomic>
#include <csignal>
#include <cstdio>

namespace {

std::atomic<bool> stopAsked{false};
volatile std::sig_atomic_t stopSignal = 0;

void AskStop(int signal) {
    stopSignal = signal;
    stopAsked.store(true);
}

// Ctrl+C, kill and a closed terminal end the export after the CSV in hand, never inside one.
void CatchStopSignals() {
    struct sigaction action {};
    action.sa_handler = AskStop;
    // A write in hand finishes; the flag is read between files.
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
}

const char* SignalName(int signal) {
    switch (signal) {
    case SIGINT:
        return "SIGINT";
    case SIGTERM:
        return "SIGTERM";
    default:
        return "SIGHUP";
    }
}

int UsageError(const QString& error) {
    std::fprintf(stderr,
                 "pellmark-export: %s\nTry 'pellmark-export --help' for more information.\n",
                 qPrintable(error));
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");
    CatchStopSignals();
    using pellmark::CommandLine;
    CommandLine line = pellmark::ParseCommandLine(argc, argv);
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

    line.options.stop = &stopAsked;
    const pellmark::ExportReport report = pellmark::ExportDayFiles(line.options);
    for (const pellmark::ExportProblem& problem : report.problems)
        std::fprintf(stderr, "pellmark-export: %s\n", qPrintable(pellmark::ProblemText(problem)));
    for (const pellmark::ExportProblem& note : report.notes)
        std::fprintf(stderr, "pellmark-export: %s\n", qPrintable(pellmark::ProblemText(note)));
    for (const QString& symbol : report.symbolsWithoutDayFiles)
        std::fprintf(stderr, "pellmark-export: no day files for %s\n", qPrintable(symbol));
    if (report.stopped) {
        std::fprintf(stderr, "pellmark-export: stopped by %s; %lld CSV(s) written\n",
                     SignalName(stopSignal), static_cast<long long>(report.csvFiles.size()));
        return 128 + stopSignal;
    }
    if (!report.problems.empty())
        std::fprintf(stderr, "pellmark-export: skipped %d line(s) and %d file(s)\n",
                     report.linesSkipped, report.filesSkipped);
    return report.problems.empty() && report.symbolsWithoutDayFiles.empty() ? 0 : 1;
}
