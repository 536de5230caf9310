// libFuzzer entry: raw bytes as a command line, through the frame's argument rules and the
// option parsers of pellmark-batch, pellmark-export, pellmark-check and the quote service.
// The first byte picks the program; the rest, split at NUL bytes, are its arguments.
#include "batch/BatchOptions.h"
#include "check/CheckCommandLine.h"
#include "CommandLineRules.h"
#include "export/CommandLine.h"
#include "quote_service/ServiceOptions.h"

#include <QCoreApplication>
#include <QStringDecoder>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

// Qt's own decoder as a second opinion, told to keep a leading byte-order mark as text.
bool QtReadsAsText(const std::string& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::Stateless |
                                                     QStringConverter::Flag::ConvertInitialBom);
    const QString text =
        decoder(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    return !decoder.hasError();
}

bool Printable(const std::string& text) {
    for (const char c : text)
        if (c < 0x20 || c > 0x7E)
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // The check's parser names the program through the application, as the program does.
    new QCoreApplication(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    std::vector<std::string> arguments;
    for (std::size_t start = 0; start <= bytes.size();) {
        const std::size_t end = std::min(bytes.find('\0', start), bytes.size());
        arguments.push_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    for (const std::string& argument : arguments) {
        if (pellmark::IsValidUtf8(argument) != QtReadsAsText(argument))
            __builtin_trap();
        if (!Printable(pellmark::EscapedBytes(argument)))
            __builtin_trap();
        // The programs refuse such a command line before any parser sees it.
        if (!pellmark::IsValidUtf8(argument))
            return 0;
    }

    QStringList list{"program"};
    std::vector<char*> argv{const_cast<char*>("program")};
    for (std::string& argument : arguments) {
        list << QString::fromStdString(argument);
        argv.push_back(argument.data());
        // Options that read named files take nothing from the command line's own bytes.
        if (argument.find("file") != std::string::npos ||
            argument.find("retry") != std::string::npos)
            return 0;
    }
    switch (data[0] & 3) {
    case 0: {
        const auto parsed = pellmark::ParseBatchCommandLine(list, QDate(2026, 12, 7));
        if (const auto* error = std::get_if<pellmark::UsageError>(&parsed);
            error != nullptr && error->reason.empty())
            __builtin_trap();
        break;
    }
    case 1: {
        const pellmark::CommandLine line =
            pellmark::ParseCommandLine(static_cast<int>(argv.size()), argv.data());
        if (line.action == pellmark::CommandLine::Action::UsageError && line.error.isEmpty())
            __builtin_trap();
        break;
    }
    case 2: {
        const pellmark::CheckCommandLine line = pellmark::ParseCheckCommandLine(list);
        if (line.action == pellmark::CheckCommandLine::Action::UsageError && line.text.isEmpty())
            __builtin_trap();
        break;
    }
    default: {
        const pellmark::ParsedOptions parsed =
            pellmark::ParseServiceOptions({arguments.begin(), arguments.end()});
        if (!parsed.help && !parsed.version && !parsed.options && parsed.error.empty())
            __builtin_trap();
        break;
    }
    }
    return 0;
}
