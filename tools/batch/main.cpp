// pellmark-batch: the window's download from a terminal, a script or a scheduler, with no
// display needed. See --help.
#include "BatchOptions.h"
#include "BatchRun.h"
#include "StopSignals.h"

#include <QCoreApplication>

#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv) {
    // Before anything that takes time: a stop from now on is kept, never lost.
    pellmark::StopSignals::Install();
    QCoreApplication app(argc, argv);
    auto parsed =
        pellmark::ParseBatchCommandLine(QCoreApplication::arguments(), QDate::currentDate());
    if (const auto* print = std::get_if<pellmark::PrintAndExit>(&parsed)) {
        std::fputs(print->text.c_str(), stdout);
        return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
    }
    if (const auto* usage = std::get_if<pellmark::UsageError>(&parsed)) {
        std::fprintf(stderr,
                     "pellmark-batch: %s\nUsage: pellmark-batch [OPTION]... "
                     "(pellmark-batch --help tells more)\n",
                     usage->reason.c_str());
        return pellmark::kExitUsage;
    }

    pellmark::StopSignals stopSignals;
    pellmark::BatchRun run(std::move(std::get<pellmark::BatchOptions>(parsed)), stderr,
                           ::isatty(STDERR_FILENO) == 1);
    QObject::connect(&stopSignals, &pellmark::StopSignals::received, &run,
                     &pellmark::BatchRun::StopForSignal);
    QObject::connect(&run, &pellmark::BatchRun::ended, &app, &QCoreApplication::exit);
    if (const auto refused = run.Start()) {
        std::fprintf(stderr, "pellmark-batch: %s\n", refused->c_str());
        return pellmark::kExitUsage;
    }
    return app.exec();
}
