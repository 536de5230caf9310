// pellmark-parse-page: reads a quote service response on standard input and writes the
// bytes the program would save for that day: one line per quote, each ended by CR LF, or
// "none" for a page the fetch would count as holding no quotes. --print-body writes the
// body HTML the day is read from instead, to show why a page reads as it does.
#include "quote/DayPage.h"
#include "quote/PageBodyBounds.h"
#include "quote/PageText.h"

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace {

constexpr std::string_view kUsage =
    "usage: pellmark-parse-page [--body] [--print-body] [--time-first] [--sep TEXT] "
    "[--charset NAME] < page\n";

constexpr std::string_view kHelp =
    "Usage: pellmark-parse-page [OPTION]... < PAGE\n"
    "Read a quote service answer on standard input and write the day file Pellmark would save\n"
    "for it: one line per quote, each ended by CR LF, or \"none\" for a page without quotes.\n"
    "\n"
    "      --body           the input is already the page's body HTML\n"
    "      --print-body     write the body HTML the day is read from instead of the day\n"
    "      --time-first     write time then price (default: price then time)\n"
    "      --sep TEXT       the separator between them (default: \" - \")\n"
    "      --charset NAME   the answer's charset, as a Content-Type header would name it\n"
    "      --help           show this help and exit\n"
    "      --version        show the version and exit\n";

struct Options {
    bool inputIsBody = false;
    bool printBody = false;
    pellmark::LineOrder lineOrder = pellmark::LineOrder::PriceFirst;
    std::string separator = " - ";
    std::string contentType;
};

std::optional<Options> ParseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool takesValue = arg == "--sep" || arg == "--charset";
        if (takesValue && i + 1 == argc)
            return std::nullopt;
        if (arg == "--body")
            options.inputIsBody = true;
        else if (arg == "--print-body")
            options.printBody = true;
        else if (arg == "--time-first")
            options.lineOrder = pellmark::LineOrder::TimeFirst;
        else if (arg == "--sep")
            options.separator = argv[++i];
        else if (arg == "--charset")
            options.contentType = std::string("text/html; charset=") + argv[++i];
        else
            return std::nullopt;
    }
    return options;
}

std::string ReadAll(std::FILE* in) {
    std::string bytes;
    char buffer[65536];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, in)) > 0)
        bytes.append(buffer, got);
    return bytes;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 &&
        (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "--version")) {
        std::fputs(std::string_view(argv[1]) == "--help" ? kHelp.data()
                                                         : "pellmark-parse-page 1.0\n",
                   stdout);
        return 0;
    }
    const std::optional<Options> options = ParseOptions(argc, argv);
    if (!options) {
        std::fputs(kUsage.data(), stderr);
        return 2;
    }
    const std::string input = ReadAll(stdin);
    // Read within the bounds the program reads a page with, so that this tool gives up where
    // the program would, and a hostile page costs no more memory here than there.
    const std::optional<std::string> body =
        options->inputIsBody ? input : pellmark::ReadBodyWithinBounds(input, options->contentType);
    if (!body) {
        std::fputs("pellmark-parse-page: page too complex\n", stderr);
        return 1;
    }
    const std::string out =
        options->printBody
            ? *body
            : pellmark::JoinLines(pellmark::DayLinesFromPage(
                  pellmark::NormaliseLines(*body), options->lineOrder, options->separator));
    std::fwrite(out.data(), 1, out.size(), stdout);
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
}
