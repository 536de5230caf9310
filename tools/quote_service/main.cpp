// pellmark-quote-service: a local stand-in for the quote service, for tests, benchmarks and
// trying the program without the network. Prints the port it listens on, then serves until
// SIGTERM, SIGINT or SIGHUP.
#include "NeverAccepting.h"
#include "ProgramFrame.h"
#include "QuotePage.h"
#include "QuoteServer.h"
#include "Recode.h"
#include "ServiceOptions.h"
#include "StopSignals.h"

#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <thread>

int main(int argc, char** argv) {
    using namespace pellmark;
    // The service's way to end is a stop signal: it ends serving and exits 0.
    const ProgramFrame frame("pellmark-quote-service");
    if (const auto refused = frame.RefuseNonUtf8(argc, argv))
        return *refused;

    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const ParsedOptions parsed = ParseServiceOptions(arguments);
    if (parsed.help)
        return frame.PrintHelp(ServiceUsage());
    if (parsed.version)
        return frame.PrintVersion();
    if (!parsed.options)
        return frame.UsageError(parsed.error);
    if (!RecodeFromUtf8(NoDataPageHtml("", ""), parsed.options->charset))
        return frame.UsageError("charset " + parsed.options->charset + " cannot encode the pages");

    if (parsed.options->neverAccept) {
        NeverAcceptingPort closed;
        const int port = closed.open(parsed.options->port);
        if (port < 0) {
            std::fprintf(stderr, "pellmark-quote-service: cannot listen on 127.0.0.1:%d\n",
                         parsed.options->port);
            return 1;
        }
        // Nobody could connect to a port that was never told.
        if (frame.PrintOut(std::to_string(port) + "\n", "the port") != 0)
            return 1;
        StopSignals::WaitForStop();
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

    // The answering threads leave the stop signals to this one, which waits for them.
    std::optional<StopsBlocked> blocked(std::in_place);
    std::thread serving([&server] { server.serve(); });
    blocked.reset();
    while (!server.isRunning())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const bool portTold = frame.PrintOut(std::to_string(port) + "\n", "the port") == 0;
    if (portTold)
        StopSignals::WaitForStop();
    server.stop();
    serving.join();
    return portTold ? 0 : 1;
}
