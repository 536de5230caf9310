// pellmark_bench_batch_night: pellmark-batch itself, its setup and all, with the pause before
// each request given first, so that a scripted year of the local service is asked for in
// minutes, not hours. What it asks is what pellmark-batch asks.
//
//   pellmark_bench_batch_night PAUSE_MS [pellmark-batch OPTION]...
#include "BatchProgram.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: pellmark_bench_batch_night PAUSE_MS [OPTION]...\n");
        return 2;
    }
    const std::chrono::milliseconds pause(std::atoi(argv[1]));
    // The program's own name first, then its options.
    std::vector<char*> arguments{argv[0]};
    arguments.insert(arguments.end(), argv + 2, argv + argc);
    arguments.push_back(nullptr);
    return pellmark::RunBatchProgram(argc - 1, arguments.data(), pause);
}
