// pellmark-page-body: the hidden browser's helper. Reads an answer of the quote service on
// standard input and writes the HTML of its body on standard output, in a process of its own
// so that a page too hard to read can be killed. Exits 3, writing nothing, for a page too
// complex to read within the bounds of PageBodyBounds.h.
//
//     pellmark-page-body CONTENT-TYPE < answer > body
#include "page/PageBodyBounds.h"

#include <csignal>
#include <cstdio>
#include <optional>
#include <string>
#include <sys/prctl.h>
#include <unistd.h>

int main(int argc, char** argv) {
    // A program killed outright cannot kill its helper; the helper then goes with it.
    const pid_t program = getppid();
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    // Gone before the call above: no signal will come.
    if (getppid() != program)
        return 1;
    // Ctrl-C at a terminal reaches the whole process group; the program decides what stops.
    std::signal(SIGINT, SIG_IGN);
    if (argc != 2) {
        std::fputs("usage: pellmark-page-body CONTENT-TYPE < answer > body\n", stderr);
        return 2;
    }
    std::string answer;
    char buffer[65536];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, stdin)) > 0)
        answer.append(buffer, got);
    const pellmark::Result<std::string> body = pellmark::ReadBodyWithinBounds(answer, argv[1]);
    if (!body) {
        std::fprintf(stderr, "pellmark-page-body: %s\n", body.reason().c_str());
        return 3;
    }
    std::fwrite(body->data(), 1, body->size(), stdout);
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
}
