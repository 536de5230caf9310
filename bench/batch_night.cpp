// pellmark_bench_batch_night: one pellmark-batch run as the program sets it up, with the
// pause before each request given first, so that a scripted year of the local service is
// asked for in minutes, not hours. What it asks is what pellmark-batch asks.
//
//   pellmark_bench_batch_night PAUSE_MS [pellmark-batch OPTION]...
#include "BatchOptions.h"
#include "BatchRun.h"
#include "net/HiddenBrowser.h"
#include "net/PageBodyReader.h"
#include "net/QuoteFetch.h"

#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#include <string>

namespace {

class OptionsForm : public pellmark::QuoteFormSource {
public:
    explicit OptionsForm(const pellmark::BatchOptions& options) : options_(options) {}
    pellmark::Category category() const override { return options_.category; }
    std::string hostLabel() const override { return options_.hostLabel; }
    pellmark::LineOrder lineOrder() const override { return options_.lineOrder; }
    std::string separator() const override { return options_.separator; }
    pellmark::Category categoryOf(const std::string& symbol) const override {
        return rules_->CategoryOf(symbol);
    }
    int mostFetchesOf(const std::string& symbol, const std::string& dateLabel) const override {
        return rules_->MostFetchesOf({symbol, dateLabel});
    }
    void Follow(const pellmark::MarketRules& rules) { rules_ = &rules; }

private:
    const pellmark::BatchOptions options_;
    const pellmark::MarketRules* rules_ = nullptr;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 2) {
        std::fprintf(stderr, "usage: pellmark_bench_batch_night PAUSE_MS [OPTION]...\n");
        return 2;
    }
    const std::chrono::milliseconds pause(arguments.takeAt(1).toInt());
    auto parsed = pellmark::ParseBatchCommandLine(arguments, QDate::currentDate());
    if (const auto* usage = std::get_if<pellmark::UsageError>(&parsed)) {
        std::fprintf(stderr, "%s\n", usage->reason.c_str());
        return 2;
    }
    if (!pellmark::PageBodyReader::FindHelper())
        return 2;
    auto& options = std::get<pellmark::BatchOptions>(parsed);
    OptionsForm form(options);
    pellmark::HiddenBrowser browser;
    pellmark::QuoteFetch fetch(browser, form, pause);
    pellmark::BatchRun run(std::move(options), fetch, stdout, stderr, false);
    form.Follow(run.Rules());
    QObject::connect(&run, &pellmark::BatchRun::ended, &app, &QCoreApplication::exit);
    if (const pellmark::Done started = run.Start(); !started) {
        std::fprintf(stderr, "%s\n", started.reason().c_str());
        return 2;
    }
    return app.exec();
}
