#include "BatchProgram.h"

#include "BatchOptions.h"
#include "BatchRun.h"
#include "core/ServiceDay.h"
#include "core/SystemTexts.h"
#include "net/HiddenBrowser.h"
#include "net/PageBodyReader.h"
#include "net/QuoteFetch.h"
#include "ProgramFrame.h"
#include "StopSignals.h"

#include <QCoreApplication>

#include <cstdio>
#include <unistd.h>

namespace pellmark {

namespace {

// The host and the lines as the command line set them, for the whole run; each day's form
// and tries come from the run's rules.
class OptionsForm : public QuoteFormSource {
public:
    explicit OptionsForm(const BatchOptions& options) : options_(options) {}
    std::string hostLabel() const override { return options_.hostLabel; }
    LineOrder lineOrder() const override { return options_.lineOrder; }
    std::string separator() const override { return options_.separator; }

private:
    const BatchOptions options_;
};

} // namespace

int RunBatchProgram(int argc, char** argv, std::chrono::milliseconds pause) {
    // Before anything that takes time: a stop from now on is kept, never lost.
    const ProgramFrame frame("pellmark-batch");
    if (const auto refused = frame.RefuseNonUtf8(argc, argv))
        return *refused;
    // The one reading of the machine's clock: the whole run goes by this today.
    const ServiceClock clock = ServiceClock::Machine();
    if (const auto refused = frame.RefuseClock(clock.Today()))
        return *refused;
    QCoreApplication app(argc, argv);
    KeepSystemTextsEnglish();
    auto parsed = ParseBatchCommandLine(QCoreApplication::arguments(), clock.Today());
    // A stop while a --symbols-file pipe was read.
    if (StopSignals::StopAsked().load())
        return frame.Stopped(StopSignals::LastStop());
    if (const auto* print = std::get_if<PrintAndExit>(&parsed))
        return frame.PrintHelp(print->text);
    if (const auto* usage = std::get_if<UsageError>(&parsed))
        return frame.UsageError(usage->reason);

    if (const Done ready = PageBodyReader::FindHelper(); !ready) {
        std::fprintf(stderr, "pellmark-batch: %s\n", ready.reason().c_str());
        return kExitUsage;
    }
    auto& options = std::get<BatchOptions>(parsed);
    if (!options.updateFolder.isEmpty())
        frame.TellNonUtf8Names(options.updateFolder);
    StopSignals stopSignals;
    OptionsForm form(options);
    HiddenBrowser browser;
    QuoteFetch fetch(browser, form, pause);
    BatchRun run(std::move(options), fetch, clock, stdout, stderr, ::isatty(STDERR_FILENO) == 1);
    QObject::connect(&fetch, &QuoteFetch::fetchingAgain, &run, &BatchRun::FetchingAgain);
    QObject::connect(&stopSignals, &StopSignals::received, &run, &BatchRun::StopForSignal);
    QObject::connect(&run, &BatchRun::ended, &app, &QCoreApplication::exit);
    if (const Done started = run.Start(); !started) {
        if (!run.FolderBusy())
            return frame.UsageError(started.reason());
        std::fprintf(stderr, "pellmark-batch: %s\n", started.reason().c_str());
        return kExitFolderBusy;
    }
    return app.exec();
}

} // namespace pellmark
