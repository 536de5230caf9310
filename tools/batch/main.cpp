// pellmark-batch: the window's download from a terminal, a script or a scheduler, with no
// display needed. See --help.
#include "BatchProgram.h"
#include "net/QuoteFetch.h"

int main(int argc, char** argv) {
    return pellmark::RunBatchProgram(argc, argv, pellmark::kFetchPause);
}
