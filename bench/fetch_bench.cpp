// What a day's fetch costs beyond the pause and the service's own answer time, how much CPU
// the program burns while it waits for a slow answer, what a request costs after thousands of
// answers that set cookies, the time and memory of the largest page accepted, and how soon
// the event loop answers after Stop while a page hard to read is being read.
#include "LocalService.h"
#include "net/QuoteFetch.h"
#include "net/QuoteService.h"
#include "page/BodySerialiser.h"
#include "WatchedBrowser.h"

#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <sys/resource.h>

#include <QCoreApplication>
#include <QDate>
#include <QEventLoop>
#include <QLocale>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <numeric>
#include <stdexcept>
#include <thread>
#include <vector>

using namespace pellmark;
using Clock = std::chrono::steady_clock;

namespace {

struct Form : QuoteFormSource {
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

// RUSAGE_CHILDREN: the page-reading helpers that have ended (the service ends last).
double CpuSeconds(int who = RUSAGE_SELF) {
    rusage usage{};
    getrusage(who, &usage);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double PeakMegabytes(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

double Seconds(Clock::duration duration) {
    return std::chrono::duration<double>(duration).count();
}

void StartOrThrow(LocalService& service) {
    if (!service.start())
        throw std::runtime_error(service.errorString().toStdString());
}

// The service's answer time as a plain blocking client sees it, on a reused connection.
class PlainClient {
public:
    // withCookies: libcurl's own cookie store, which keeps every cookie it is given.
    explicit PlainClient(const LocalService& service, bool withCookies = false)
        : easy_(curl_easy_init()), proxy_(service.proxyUrl().toStdString()),
          url_(BuildServiceUrl("www")) {
        if (withCookies)
            curl_easy_setopt(easy_, CURLOPT_COOKIEFILE, "");
        curl_easy_setopt(easy_, CURLOPT_PROXY, proxy_.c_str());
        curl_easy_setopt(easy_, CURLOPT_URL, url_.c_str());
        // The same content negotiation as the browser, or the service's compression time
        // would be booked as the program's overhead.
        curl_easy_setopt(easy_, CURLOPT_ACCEPT_ENCODING, "");
        curl_easy_setopt(
            easy_, CURLOPT_WRITEFUNCTION,
            +[](char*, size_t size, size_t count, void*) { return size * count; });
    }
    ~PlainClient() { curl_easy_cleanup(easy_); }

    double AnswerSeconds(const std::string& day) {
        body_ = BuildFormBody(Category::Forex, "AUDUSD", day);
        curl_easy_setopt(easy_, CURLOPT_POSTFIELDS, body_.c_str());
        curl_easy_setopt(easy_, CURLOPT_POSTFIELDSIZE, static_cast<long>(body_.size()));
        const auto start = Clock::now();
        curl_easy_perform(easy_);
        return Seconds(Clock::now() - start);
    }

private:
    CURL* easy_;
    std::string proxy_;
    std::string url_;
    std::string body_;
};

// Runs one fetch to its end; waiting here is the benchmark's business, not the library's.
Lines FetchAndWait(QuoteFetch& fetch, const std::string& day) {
    Lines result;
    QEventLoop loop;
    const auto connection =
        QObject::connect(&fetch, &QuoteFetch::finished, &loop, [&](const FetchResult& fetched) {
            result = fetched.day.lines;
            loop.quit();
        });
    fetch.FetchDayQuotes({"AUDUSD", day});
    loop.exec();
    QObject::disconnect(connection);
    return result;
}

// Runs the event loop for a while, as a benchmark may.
void RunEventLoopFor(std::chrono::milliseconds time) {
    QEventLoop loop;
    QTimer::singleShot(time, &loop, &QEventLoop::quit);
    loop.exec();
}

double Mean(const std::vector<double>& values, std::size_t from, std::size_t to) {
    to = std::min(to, values.size());
    return from >= to ? 0
                      : std::accumulate(values.begin() + from, values.begin() + to, 0.0) /
                            static_cast<double>(to - from);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// Each day is asked once by the plain client and once through the fetch, back to back and
// each after the same idle time, so that both meet the service (and the machine) in the
// same state; the overhead is the difference less the pause.
void FetchDays(benchmark::State& state, std::chrono::milliseconds pause) {
    LocalService service;
    StartOrThrow(service);
    const std::vector<std::string> days = Weekdays(static_cast<int>(state.range(0)));
    PlainClient plain(service);
    HiddenBrowser browser(nullptr, service.proxyUrl().toStdString());
    Form form;
    QuoteFetch fetch(browser, form, pause);
    const double pauseSeconds = std::chrono::duration<double>(pause).count();

    std::vector<double> serviceTimes, overheads;
    double cpu = 0;
    for (auto _ : state) {
        for (const std::string& day : days) {
            std::this_thread::sleep_for(pause);
            serviceTimes.push_back(plain.AnswerSeconds(day));
            const double cpuBefore = CpuSeconds();
            const auto start = Clock::now();
            if (FetchAndWait(fetch, day).size() < 2)
                state.SkipWithError("a day came back without quotes");
            overheads.push_back(Seconds(Clock::now() - start) - pauseSeconds - serviceTimes.back());
            cpu += CpuSeconds() - cpuBefore;
        }
    }
    const double fetches = static_cast<double>(overheads.size());
    state.counters["fetches"] = fetches;
    state.counters["service_ms"] = Median(serviceTimes) * 1e3;
    state.counters["overhead_ms"] = Median(overheads) * 1e3;
    state.counters["overhead_mean_ms"] =
        std::accumulate(overheads.begin(), overheads.end(), 0.0) / fetches * 1e3;
    state.counters["cpu_ms"] = cpu / fetches * 1e3;
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

// Every answer sets 50 new cookies: the CPU of a request over the first and the last 100 of
// state.range(0) answers, through the hidden browser (bounded store) and, for comparison,
// through a bare libcurl handle whose store keeps them all.
void CookieFlood(benchmark::State& state, bool throughBrowser) {
    LocalService service({"--cookie-flood", "50"});
    StartOrThrow(service);
    HiddenBrowser browser(nullptr, service.proxyUrl().toStdString());
    Form form;
    QuoteFetch fetch(browser, form, std::chrono::milliseconds(0));
    PlainClient plain(service, true);
    const auto answers = static_cast<std::size_t>(state.range(0));
    std::vector<double> cpu;
    for (auto _ : state) {
        for (std::size_t i = 0; i < answers; ++i) {
            const double before = CpuSeconds();
            if (throughBrowser)
                FetchAndWait(fetch, "6-Jun-05");
            else
                plain.AnswerSeconds("6-Jun-05");
            cpu.push_back(CpuSeconds() - before);
        }
    }
    state.counters["cpu_first100_ms"] = Mean(cpu, 0, 100) * 1e3;
    state.counters["cpu_last100_ms"] = Mean(cpu, cpu.size() - 100, cpu.size()) * 1e3;
}

void BM_CookieFloodThroughBrowser(benchmark::State& state) {
    CookieFlood(state, true);
}

void BM_CookieFloodBareCurl(benchmark::State& state) {
    CookieFlood(state, false);
}

// One fetch of the largest page the service pads to under the size cap; run it alone
// (--benchmark_filter) for the peaks to be its own.
void BM_LargestAcceptedPage(benchmark::State& state) {
    LocalService service({"--huge-mb", QString::number(state.range(0))});
    StartOrThrow(service);
    HiddenBrowser browser(nullptr, service.proxyUrl().toStdString());
    Form form;
    QuoteFetch fetch(browser, form, std::chrono::milliseconds(0));
    std::size_t lines = 0;
    for (auto _ : state)
        lines = FetchAndWait(fetch, "6-Jun-05").size();
    if (lines < 2)
        state.SkipWithError("the page was not accepted");
    state.counters["lines"] = static_cast<double>(lines);
    state.counters["peak_program_MB"] = PeakMegabytes(RUSAGE_SELF);
    state.counters["peak_helper_MB"] = PeakMegabytes(RUSAGE_CHILDREN);
    state.counters["helper_cpu_s"] = CpuSeconds(RUSAGE_CHILDREN);
}

// A page of state.range(0) nested <div> tags (five bytes each): its reading takes minutes;
// Stop comes 1.5 s after the request, and the event loop must answer at once.
void BM_StopWhileReadingNestedDivs(benchmark::State& state) {
    LocalService service({"--nested-divs", QString::number(state.range(0))});
    StartOrThrow(service);
    double stopToLoop = 0;
    for (auto _ : state) {
        WatchedBrowser browser(nullptr, service.proxyUrl().toStdString());
        browser.Navigate(BuildServiceUrl("www"),
                         BuildFormBody(Category::Forex, "AUDUSD", "6-Jun-05"), kFormHeaders);
        RunEventLoopFor(std::chrono::milliseconds(1500));
        if (browser.ReadyState() != WatchedBrowser::LoadState::Loading)
            state.SkipWithError("the page was read within 1.5 s");
        const auto start = Clock::now();
        browser.Stop();
        RunEventLoopFor(std::chrono::milliseconds(0));
        stopToLoop = Seconds(Clock::now() - start);
    }
    state.counters["stop_to_loop_ms"] = stopToLoop * 1e3;
}

// What the window's thread spent on such a page when it read bodies itself.
void BM_SerialiseNestedDivsInline(benchmark::State& state) {
    std::string page = "<html><body>";
    for (int i = 0; i < state.range(0); ++i)
        page += "<div>";
    page += "<BR>&nbsp; 00:05:00 GMT 1.2345 (x)</body></html>";
    for (auto _ : state)
        benchmark::DoNotOptimize(SerialiseBody(page, "text/html"));
}

} // namespace

BENCHMARK(BM_CookieFloodThroughBrowser)
    ->Arg(2000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_CookieFloodBareCurl)
    ->Arg(2000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_LargestAcceptedPage)
    ->Arg(15)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_StopWhileReadingNestedDivs)
    ->Arg(200000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_SerialiseNestedDivsInline)
    ->Arg(5000)
    ->Arg(10000)
    ->Arg(20000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
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
