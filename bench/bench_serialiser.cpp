// Serialising speed on whole responses shaped like the service's: a full document with
// lower-case tags, a heading, then one record per quote on a line of its own.
#include "page/BodySerialiser.h"

#include <benchmark/benchmark.h>
#include <gumbo.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace {

std::string MakeResponse(int records) {
    std::string page = "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\n"
                       "<html>\n<head>\n<title>Vorn Markets - Hourly view</title>\n</head>\n"
                       "<body bgcolor=\"#ffffff\">\n"
                       "<p><b>Intraday prices for frxAUDUSD on 1-Jun-05</b></p>\n<p>\n"
                       "<br>&nbsp; Time Price (Bid / Ask)\n";
    char record[96];
    for (int i = 0; i < records; ++i) {
        const int seconds = i * 86400 / records;
        const int pips = 7612 + (i * 7919) % 400 - 200;
        std::snprintf(record, sizeof record,
                      "<br>&nbsp; %02d:%02d:%02d GMT 0.%04d (0.%04d / 0.%04d)\n", seconds / 3600,
                      seconds / 60 % 60, seconds % 60, pips, pips - 2, pips + 2);
        page += record;
    }
    page += "</p>\n<p><font size=\"1\">Prices are indicative only. \xA9 Vorn Markets</font></p>\n"
            "</body>\n</html>\n";
    return page;
}

void BM_SerialiseBody(benchmark::State& state) {
    const std::string response = MakeResponse(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::string body = pellmark::SerialiseBody(response, "text/html; charset=iso-8859-1");
        benchmark::DoNotOptimize(body);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(response.size()));
    state.counters["page_bytes"] = static_cast<double>(response.size());
}

// The HTML parser alone, with its own allocator and without decoding or writing: the
// ceiling for the serialiser.
void BM_GumboParseOnly(benchmark::State& state) {
    const std::string response = MakeResponse(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        GumboOutput* output =
            gumbo_parse_with_options(&kGumboDefaultOptions, response.data(), response.size());
        benchmark::DoNotOptimize(output);
        gumbo_destroy_output(&kGumboDefaultOptions, output);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(response.size()));
}

} // namespace

BENCHMARK(BM_SerialiseBody)->Arg(1440)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GumboParseOnly)->Arg(1440)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
