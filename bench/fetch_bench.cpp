// What a day's fetch costs beyond the pause and the service's own answer time, and how
// much CPU the program burns while it waits for a slow answer.
#include "LocalService.h"
#include "quote/QuoteFetch.h"

#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <sys/resource.h>

#include <QCoreApplication>
#include <QDate>
#include <QEventLoop>
#include <QLocale>

#include <chrono>
#include <stdexcept>
#include <vector>

using namespace pellmark;
using Clock = std::chrono::steady_clock;

namespace {

struct Form : QuoteFormSource {
    Category category() const override { return Category::Forex; }
    std::string hostLabel() const override { return "www"; }
    LineOrder lineOrder() const override { return LineOrder::PriceFirst; }
    std::string separator() const override { return " - "; }
};

std::vector<std::string> Weekdays(int count) {
    std::vector<std::string> labels;
    const QLocale english(QLocale::English);
    for (QDate day(2005, 1, 3); static_cast<int>(labels.size()) < count; day = day.addDays(1)) {
        if (day.dayOfWeek() <= 5)
            labels.push_back(english.toString(day, "d-MMM-yy").toStdString());
    }
    return labels;
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double Seconds(Clock::duration duration) {
    return std::chrono::duration<double>(duration).count();
}

void StartOrThrow(LocalService& service) {
    if (!service.start())
        throw std::runtime_error(service.errorString().toStdString());
}

// The service's answer time as a plain blocking client sees it, on a reused connection.
double ServiceAnswerSeconds(const LocalService& service, const std::vector<std::string>& days) {
    CURL* easy = curl_easy_init();
    const std::string proxy = service.proxyUrl().toStdString();
    const std::string url = BuildServiceUrl("www");
    curl_easy_setopt(easy, CURLOPT_PROXY, proxy.c_str());
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(
        easy, CURLOPT_WRITEFUNCTION,
        +[](char*, size_t size, size_t count, void*) { return size * count; });
    const auto start = Clock::now();
    for (const std::string& day : days) {
        const std::string body = BuildFormBody(Category::Forex, "AUDUSD", day);
        curl_easy_setopt(easy, CURLOPT_POSTFIELDS, body.c_str());
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
        curl_easy_perform(easy);
    }
    const double total = Seconds(Clock::now() - start);
    curl_easy_cleanup(easy);
    return total / static_cast<double>(days.size());
}

// Runs one fetch to its end; waiting here is the benchmark's business, not the library's.
Lines FetchAndWait(QuoteFetch& fetch, const std::string& day) {
    Lines result;
    QEventLoop loop;
    const auto connection =
        QObject::connect(&fetch, &QuoteFetch::finished, &loop, [&](const Lines& lines) {
            result = lines;
            loop.quit();
        });
    fetch.FetchDayQuotes("AUDUSD", day);
    loop.exec();
    QObject::disconnect(connection);
    return result;
}

void FetchDays(benchmark::State& state, std::chrono::milliseconds pause) {
    LocalService service;
    StartOrThrow(service);
    const std::vector<std::string> days = Weekdays(static_cast<int>(state.range(0)));
    const double serviceSeconds = ServiceAnswerSeconds(service, days);

    HiddenBrowser browser(nullptr, service.proxyUrl().toStdString());
    Form form;
    QuoteFetch fetch(browser, form, pause);
    std::size_t fetches = 0;
    Clock::duration waited{};
    for (auto _ : state) {
        const auto start = Clock::now();
        for (const std::string& day : days) {
            if (FetchAndWait(fetch, day).size() < 2)
                state.SkipWithError("a day came back without quotes");
            ++fetches;
        }
        waited += Clock::now() - start;
    }
    const double perFetch = Seconds(waited) / static_cast<double>(fetches);
    const double pauseSeconds = std::chrono::duration<double>(pause).count();
    state.counters["fetch_ms"] = perFetch * 1e3;
    state.counters["service_ms"] = serviceSeconds * 1e3;
    state.counters["overhead_ms"] = (perFetch - pauseSeconds - serviceSeconds) * 1e3;
    state.counters["fetches"] = static_cast<double>(fetches);
}

void BM_FetchDayWithoutPause(benchmark::State& state) {
    FetchDays(state, std::chrono::milliseconds(0));
}

void BM_FetchDayWithRealPause(benchmark::State& state) {
    FetchDays(state, kFetchPause);
}

void BM_WaitForSlowAnswer(benchmark::State& state) {
    LocalService service({"--delay-ms", QString::number(state.range(0))});
    StartOrThrow(service);
    HiddenBrowser browser(nullptr, service.proxyUrl().toStdString());
    Form form;
    QuoteFetch fetch(browser, form, std::chrono::milliseconds(0));
    double cpu = 0;
    Clock::duration waited{};
    for (auto _ : state) {
        const double cpuBefore = CpuSeconds();
        const auto start = Clock::now();
        FetchAndWait(fetch, "6-Jun-05");
        waited += Clock::now() - start;
        cpu += CpuSeconds() - cpuBefore;
    }
    state.counters["wait_ms"] = Seconds(waited) * 1e3 / static_cast<double>(state.iterations());
    state.counters["cpu_ms"] = cpu * 1e3 / static_cast<double>(state.iterations());
    state.counters["cpu_share_%"] = 100.0 * cpu / Seconds(waited);
}

} // namespace

BENCHMARK(BM_FetchDayWithoutPause)
    ->Arg(200)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_FetchDayWithRealPause)
    ->Arg(5)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_WaitForSlowAnswer)
    ->Arg(5000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
