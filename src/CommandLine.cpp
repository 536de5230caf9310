#include "CommandLine.h"

#include "Branding.h"

#include <cstdio>
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

} // namespace

std::optional<int> AnswerCommandLine(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kHelp.data(), stdout);
            return 0;
        }
        if (arg == "--version" || arg == "-v") {
            std::printf("pellmark %s\n", kProductVersion);
            return 0;
        }
    }
    return std::nullopt;
}

} // namespace pellmark
