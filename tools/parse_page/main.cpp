// pellmark-parse-page: reads a quote service response on standard input and writes the
// bytes the program would save for that day: one line per quote, each ended by CR LF, or
// "none" for a page the fetch would count as holding no quotes. --print-body writes the
// body HTML the day is read from instead, to show why a page reads as it does.
#include "core/Result.h"
#include "core/TextLines.h"
#include "page/DayPage.h"
#include "page/PageBodyBounds.h"
#include "ProgramFrame.h"
#include "StopSignals.h"

#include <QCommandLineParser>
#include <QStringList>

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

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
    "  -h, --help           show this help and exit\n"
    "  -v, --version        show the version and exit\n";

struct Options {
    bool help = false;
    bool version = false;
    bool inputIsBody = false;
    bool printBody = false;
    pellmark::LineOrder lineOrder = pellmark::LineOrder::PriceFirst;
    std::string separator = " - ";
    std::string contentType;
};

// The options, or why the command line is wrong.
pellmark::Result<Options> ParseOptions(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    const QCommandLineOption help(QStringList{"h", "help"}), version(QStringList{"v", "version"});
    const QCommandLineOption body("body"), printBody("print-body"), timeFirst("time-first");
    const QCommandLineOption sep("sep", {}, "text"), charset("charset", {}, "name");
    parser.addOptions({help, version, body, printBody, timeFirst, sep, charset});
    if (!parser.parse(arguments))
        return pellmark::Failure{pellmark::CommandLineError(parser)};
    if (const auto repeated = pellmark::RepeatedOption(
            parser, {help, version, body, printBody, timeFirst, sep, charset}))
        return pellmark::Failure{*repeated};
    if (!parser.positionalArguments().isEmpty())
        return pellmark::Failure{"unexpected argument " +
                                 parser.positionalArguments().front().toStdString() +
                                 " (the page comes on standard input)"};
    Options options;
    options.help = parser.isSet(help);
    options.version = parser.isSet(version);
    options.inputIsBody = parser.isSet(body);
    options.printBody = parser.isSet(printBody);
    if (parser.isSet(timeFirst))
        options.lineOrder = pellmark::LineOrder::TimeFirst;
    if (parser.isSet(sep))
        options.separator = parser.value(sep).toStdString();
    if (parser.isSet(charset))
        options.contentType = "text/html; charset=" + parser.value(charset).toStdString();
    return options;
}

// Empty when a stop came first: a page that never ends must not keep the tool from stopping.
std::optional<std::string> ReadAll(int fd) {
    std::string bytes;
    char buffer[65536];
    while (pellmark::StopSignals::WaitForInput(fd)) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got <= 0)
            return bytes;
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    return std::nullopt;
}

// A day without data reads "none", as the parser says it.
std::string DayText(const pellmark::DayLines& day) {
    return day.hasData ? pellmark::JoinLines(day.lines)
                       : pellmark::JoinLines({std::string(pellmark::kNoneLine)});
}

} // namespace

int main(int argc, char** argv) {
    const pellmark::ProgramFrame frame("pellmark-parse-page");
    if (const auto refused = frame.RefuseNonUtf8(argc, argv))
        return *refused;
    const pellmark::Result<Options> options = ParseOptions(argc, argv);
    if (!options)
        return frame.UsageError(options.reason());
    if (options->help)
        return frame.PrintHelp(kHelp);
    if (options->version)
        return frame.PrintVersion();
    const std::optional<std::string> read = ReadAll(STDIN_FILENO);
    if (!read)
        return frame.Stopped(pellmark::StopSignals::LastStop());
    const std::string& input = *read;
    // Read within the bounds the program reads a page with, so that this tool gives up where
    // the program would, and a hostile page costs no more memory here than there.
    const pellmark::Result<std::string> body =
        options->inputIsBody ? input : pellmark::ReadBodyWithinBounds(input, options->contentType);
    if (!body) {
        std::fprintf(stderr, "pellmark-parse-page: %s\n", body.reason().c_str());
        return 1;
    }
    const std::string out =
        options->printBody
            ? *body
            : DayText(pellmark::DayLinesFromPage(pellmark::NormaliseLines(*body),
                                                 options->lineOrder, options->separator));
    return frame.PrintOut(out, options->printBody ? "the body" : "the day");
}
