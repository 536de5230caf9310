// pellmark-batch as a whole, from its command line to its exit status: the clock read once,
// the options, the fetch through the hidden browser with the pause given, the run and the stop
// signals. The program runs it with the real pause, the benchmark driver with a shorter one,
// so that the driver asks what the program asks.
#pragma once

#include <chrono>

namespace pellmark {

int RunBatchProgram(int argc, char** argv, std::chrono::milliseconds pause);

} // namespace pellmark
