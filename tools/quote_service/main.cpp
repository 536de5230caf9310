// pellmark-quote-service: a local stand-in for the quote service, for tests, benchmarks and
// trying the program without the network. Prints the port it listens on, then serves until
// SIGTERM or SIGINT.
#include "NeverAccepting.h"
#include "QuotePage.h"
#include "QuoteServer.h"
#include "Recode.h"
#include "ServiceOptions.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <pthread.h>
#include <thread>

int main(int argc, char** argv) {
    using namespace pellmark;

    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments.size() == 1 && (arguments[0] == "--help" || arguments[0] == "-h")) {
        std::fputs(ServiceUsage().c_str(), stdout);
        return 0;
    }
    const ParsedOptions parsed = ParseServiceOptions(arguments);
    if (!parsed.options) {
        std::fprintf(stderr, "pellmark-quote-service: %s\n%s", parsed.error.c_str(),
                     ServiceUsage().c_str());
        return 2;
    }
    if (!RecodeFromUtf8(NoDataPageHtml("", ""), parsed.options->charset)) {
        std::fprintf(stderr, "pellmark-quote-service: charset %s cannot encode the pages\n",
                     parsed.options->charset.c_str());
        return 2;
    }

    // Block the stop signals before any thread starts, so that only sigwait below sees them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    int received = 0;
    if (parsed.options->neverAccept) {
        NeverAcceptingPort closed;
        const int port = closed.open(parsed.options->port);
        if (port < 0) {
            std::fprintf(stderr, "pellmark-quote-service: cannot listen on 127.0.0.1:%d\n",
                         parsed.options->port);
            return 1;
        }
        std::printf("%d\n", port);
        std::fflush(stdout);
        sigwait(&stopSignals, &received);
        return 0;
    }

    QuoteServer server(*parsed.options);
    if (!parsed.options->logPath.empty() && !server.logOpen()) {
        std::fprintf(stderr, "pellmark-quote-service: cannot open log %s\n",
                     parsed.options->logPath.c_str());
        return 1;
    }
    const int port = server.bind();
    if (port < 0) {
        std::fprintf(stderr, "pellmark-quote-service: cannot listen on 127.0.0.1:%d\n",
                     parsed.options->port);
        return 1;
    }

    std::thread serving([&server] { server.serve(); });
    while (!server.isRunning())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::printf("%d\n", port);
    std::fflush(stdout);

    sigwait(&stopSignals, &received);
    server.stop();
    serving.join();
    return 0;
}
