// pellmark-check: how complete the day files of a save folder are.
#include "Branding.h"
#include "check/CoverageHtml.h"
#include "check/CoverageText.h"
#include "CheckCommandLine.h"
#include "core/WholeFile.h"
#include "core/WholeFileStream.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <csignal>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {

int UsageError(const QString& error) {
    std::fprintf(stderr, "pellmark-check: %s\nTry 'pellmark-check --help' for more information.\n",
                 qPrintable(error));
    return 2;
}

// False, with the reason on standard error, when the file could not be written.
bool Written(const QString& path, const std::optional<std::string>& reason) {
    if (reason) {
        std::fprintf(stderr, "pellmark-check: cannot write %s: %s\n", qPrintable(path),
                     reason->c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    // A reader that stops early (| head) must not end the check before its files are written.
    std::signal(SIGPIPE, SIG_IGN);
    QCoreApplication app(argc, argv);
    using pellmark::CheckCommandLine;
    const CheckCommandLine line = pellmark::ParseCheckCommandLine(app.arguments());
    switch (line.action) {
    case CheckCommandLine::Action::Help:
        std::fputs(qPrintable(line.text), stdout);
        return 0;
    case CheckCommandLine::Action::Version:
        std::printf("pellmark-check %s\n", pellmark::kProductVersion);
        return 0;
    case CheckCommandLine::Action::UsageError:
        return UsageError(line.text);
    case CheckCommandLine::Action::Check:
        break;
    }
    if (!QFileInfo(line.options.folder).isDir())
        return UsageError(QStringLiteral("'%1' is not a folder").arg(line.options.folder));

    // The report is written as the symbols are checked, so that no folder is too large
    // for the memory; until it is committed, the old report stays.
    std::optional<pellmark::WholeFileStream> html;
    if (!line.html.isEmpty()) {
        html.emplace(line.html);
        html->Write(pellmark::CoverageHtmlHead(
            QStringLiteral("Day files in %1").arg(QDir::toNativeSeparators(line.options.folder))));
    }
    long long symbols = 0;
    long long completeSymbols = 0;
    std::vector<std::string> summaries;
    std::string retryList;
    const QString error =
        pellmark::CheckFolderEach(line.options, [&](pellmark::SymbolCoverage&& symbol) {
            ++symbols;
            completeSymbols += pellmark::AllComplete(symbol);
            for (const QString& fault : pellmark::FaultLines(symbol))
                std::printf("%s\n", qPrintable(fault));
            summaries.push_back(pellmark::SummaryLine(symbol).toLocal8Bit().toStdString());
            retryList += pellmark::RetryItems(symbol);
            if (html)
                html->Write(pellmark::CoverageHtmlSection(symbol));
        });
    if (!error.isEmpty()) {
        std::fprintf(stderr, "pellmark-check: %s: %s\n", qPrintable(line.options.folder),
                     qPrintable(error));
        return 1;
    }
    for (const std::string& summary : summaries)
        std::printf("%s\n", summary.c_str());
    if (symbols == 0)
        std::printf("no day files\n");
    // A reader that stopped early (| head) costs the listing, not the files below.
    const bool listingCut = std::fflush(stdout) != 0 || std::ferror(stdout) != 0;
    if (listingCut)
        std::fprintf(stderr, "pellmark-check: the listing on standard output was cut short\n");

    bool written = true;
    if (!line.retryList.isEmpty())
        written =
            Written(line.retryList, pellmark::WriteWholeFile(line.retryList, retryList)) && written;
    if (html) {
        html->Write(pellmark::CoverageHtmlTail(completeSymbols, symbols));
        written = Written(line.html, html->Commit()) && written;
    }
    if (!written)
        return 3;
    return completeSymbols == symbols && symbols > 0 && !listingCut ? 0 : 1;
}
