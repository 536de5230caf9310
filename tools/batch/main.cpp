// pellmark-batch: the window's download from a terminal, a script or a scheduler, with no
// display needed. See --help.
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

namespace {

// The request and the lines as the command line set them, for the whole run.
class OptionsForm : public pellmark::QuoteFormSource {
public:
    explicit OptionsForm(const pellmark::BatchOptions& options) : options_(options) {}
    pellmark::Category category() const override { return options_.category; }
    pellmark::Category categoryOf(const std::string& symbol) const override {
        return rules_ ? rules_->CategoryOf(symbol) : category();
    }
    int mostFetchesOf(const std::string& symbol, const std::string& dateLabel) const override {
        return rules_ ? rules_->MostFetchesOf({symbol, dateLabel}) : pellmark::kMostFetchesPerDay;
    }
    void Follow(const pellmark::MarketRules& rules) { rules_ = &rules; }
    std::string hostLabel() const override { return options_.hostLabel; }
    pellmark::LineOrder lineOrder() const override { return options_.lineOrder; }
    std::string separator() const override { return options_.separator; }

private:
    const pellmark::BatchOptions options_;
    const pellmark::MarketRules* rules_ = nullptr;
};

} // namespace

int main(int argc, char** argv) {
    // Before anything that takes time: a stop from now on is kept, never lost.
    const pellmark::ProgramFrame frame("pellmark-batch");
    if (const auto refused = frame.RefuseNonUtf8(argc, argv))
        return *refused;
    const QDate today = pellmark::ServiceToday();
    if (const auto refused = frame.RefuseClock(today))
        return *refused;
    QCoreApplication app(argc, argv);
    pellmark::KeepSystemTextsEnglish();
    auto parsed = pellmark::ParseBatchCommandLine(QCoreApplication::arguments(), today);
    // A stop while a --symbols-file pipe was read.
    if (pellmark::StopSignals::StopAsked().load())
        return frame.Stopped(pellmark::StopSignals::LastStop());
    if (const auto* print = std::get_if<pellmark::PrintAndExit>(&parsed))
        return frame.PrintHelp(print->text);
    if (const auto* usage = std::get_if<pellmark::UsageError>(&parsed))
        return frame.UsageError(usage->reason);

    if (const pellmark::Done ready = pellmark::PageBodyReader::FindHelper(); !ready) {
        std::fprintf(stderr, "pellmark-batch: %s\n", ready.reason().c_str());
        return pellmark::kExitUsage;
    }
    auto& options = std::get<pellmark::BatchOptions>(parsed);
    if (!options.updateFolder.isEmpty())
        frame.TellNonUtf8Names(options.updateFolder);
    pellmark::StopSignals stopSignals;
    OptionsForm form(options);
    pellmark::HiddenBrowser browser;
    pellmark::QuoteFetch fetch(browser, form);
    pellmark::BatchRun run(std::move(options), fetch, stdout, stderr, ::isatty(STDERR_FILENO) == 1);
    form.Follow(run.Rules());
    QObject::connect(&fetch, &pellmark::QuoteFetch::fetchingAgain, &run,
                     &pellmark::BatchRun::FetchingAgain);
    QObject::connect(&stopSignals, &pellmark::StopSignals::received, &run,
                     &pellmark::BatchRun::StopForSignal);
    QObject::connect(&run, &pellmark::BatchRun::ended, &app, &QCoreApplication::exit);
    if (const pellmark::Done started = run.Start(); !started) {
        if (!run.FolderBusy())
            return frame.UsageError(started.reason());
        std::fprintf(stderr, "pellmark-batch: %s\n", started.reason().c_str());
        return pellmark::kExitFolderBusy;
    }
    return app.exec();
}
