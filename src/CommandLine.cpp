#include "CommandLine.h"

#include "Branding.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

namespace pellmark {

namespace {

// Laid out the way help2man reads it: usage line, description, then the option table.
constexpr std::string_view kHelp =
    "Usage: pellmark [OPTION]\n"
    "Download historical intraday prices for back-testing.\n"
    "\n"
    "Opens the main window: pick a category (currency pairs, stocks or indices), edit its\n"
    "symbol list, choose a date range, the layout of the output lines and a save folder, and\n"
    "press Download. Every symbol-day becomes one text file of price and time pairs.\n"
    "\n"
    "Options:\n"
    "  -h, --help     display this help and exit\n"
    "  -v, --version  output version information and exit\n"
    "\n"
    "Standard Qt options such as -platform NAME are also accepted.\n"
    "\n"
    "Environment:\n"
    "  http_proxy     HTTP proxy for the quote service, for example the local stand-in\n"
    "                 pellmark-quote-service\n";

// Output standard output does not take (a full disk, a closed pipe) is told, not passed off
// as answered.
int Answer(const std::string& text) {
    if (std::fputs(text.c_str(), stdout) >= 0 && std::fflush(stdout) == 0)
        return 0;
    std::fprintf(stderr, "pellmark: cannot write to standard output: %s\n", std::strerror(errno));
    return 1;
}

} // namespace

std::optional<int> AnswerCommandLine(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h")
            return Answer(std::string(kHelp));
        if (arg == "--version" || arg == "-v")
            return Answer(std::string("pellmark ") + kProductVersion + "\n");
    }
    return std::nullopt;
}

} // namespace pellmark
