// Parsing speed on pages shaped like the service's: a heading, then one record per quote,
// each on a line of its own. The step-by-step walk shows what the linear parser saves.
#include "page/IntradayParser.h"
#include "ReferenceParser.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

namespace {

std::string MakePage(int records) {
    std::string page = "<P><B>Intraday quotes for AUDUSD on 7-Dec-26</B></P>\n"
                       "<P>Times are in GMT. Prices are bid prices.</P>\n"
                       "<BR>&nbsp; Time GMT Price (change)\n";
    char record[96];
    for (int i = 0; i < records; ++i) {
        const int seconds = i * 86400 / records;
        const int pips = 76120 + (i * 7919) % 400 - 200;
        std::snprintf(record, sizeof record, "<BR>&nbsp; %02d:%02d:%02d GMT %d.%04d (%+d)\n",
                      seconds / 3600, seconds / 60 % 60, seconds % 60, pips / 100000,
                      pips % 100000 / 10, (i * 31) % 9 - 4);
        page += record;
    }
    return page;
}

template <typename Parse> void Run(benchmark::State& state, Parse parse) {
    const std::string page = MakePage(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        pellmark::Lines lines = parse(page, pellmark::LineOrder::PriceFirst, " - ");
        benchmark::DoNotOptimize(lines);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(page.size()));
    state.counters["page_bytes"] = static_cast<double>(page.size());
}

void BM_Parser(benchmark::State& state) {
    Run(state, pellmark::ParseIntradayPage);
}

void BM_StepByStepWalk(benchmark::State& state) {
    Run(state, pellmark::reference::ParseIntradayPage);
}

} // namespace

BENCHMARK(BM_Parser)->Arg(1440)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StepByStepWalk)->Arg(1440)->Arg(10000)->Unit(benchmark::kMillisecond);
// The walk is quadratic: one pass at the largest size already takes minutes.
BENCHMARK(BM_StepByStepWalk)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
