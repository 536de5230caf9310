// pellmark-check: how complete the day files of a save folder are.
#include "check/CoverageHtml.h"
#include "check/CoverageText.h"
#include "CheckCommandLine.h"
#include "core/ServiceDay.h"
#include "core/SystemTexts.h"
#include "core/WholeFile.h"
#include "core/WholeFileStream.h"
#include "folder/ServiceDays.h"
#include "ProgramFrame.h"
#include "StopSignals.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {

// False, with the reason on standard error, when the file could not be written.
bool Written(const QString& path, const pellmark::Done& written) {
    if (!written)
        std::fprintf(stderr, "pellmark-check: cannot write %s: %s\n", qPrintable(path),
                     written.reason().c_str());
    return written.ok();
}

} // namespace

int main(int argc, char** argv) {
    // A stop ends the check between its steps, never inside a file it writes.
    const pellmark::ProgramFrame frame("pellmark-check");
    if (const auto refused = frame.RefuseNonUtf8(argc, argv))
        return *refused;
    // The one reading of the machine's clock: the whole check goes by this today.
    const pellmark::ServiceClock clock = pellmark::ServiceClock::Machine();
    if (const auto refused = frame.RefuseClock(clock.Today()))
        return *refused;
    QCoreApplication app(argc, argv);
    pellmark::KeepSystemTextsEnglish();
    using pellmark::CheckCommandLine;
    const CheckCommandLine line = pellmark::ParseCheckCommandLine(app.arguments());
    switch (line.action) {
    case CheckCommandLine::Action::Help:
        return frame.PrintHelp(line.text.toStdString());
    case CheckCommandLine::Action::Version:
        return frame.PrintVersion();
    case CheckCommandLine::Action::UsageError:
        return frame.UsageError(line.text.toStdString());
    case CheckCommandLine::Action::Check:
        break;
    }
    if (!QFileInfo(line.options.folder).isDir())
        return frame.UsageError(
            QStringLiteral("'%1' is not a folder").arg(line.options.folder).toStdString());
    const auto stopped = [] { return pellmark::StopSignals::StopAsked().load(); };
    frame.TellNonUtf8Names(line.options.folder);

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
    const pellmark::MarketRecord record = pellmark::MarketRecord::Read(line.options.folder);
    const pellmark::Done checked =
        pellmark::CheckFolderEach(line.options, clock, [&](pellmark::SymbolCoverage&& symbol) {
            pellmark::MarkServiceDays(symbol, record);
            ++symbols;
            completeSymbols += pellmark::AllComplete(symbol);
            for (const QString& fault : pellmark::FaultLines(symbol))
                std::printf("%s\n", qPrintable(fault));
            summaries.push_back(pellmark::SummaryLine(symbol).toLocal8Bit().toStdString());
            retryList += pellmark::RetryItems(symbol);
            if (html)
                html->Write(pellmark::CoverageHtmlSection(symbol));
        });
    if (stopped())
        return frame.Stopped(pellmark::StopSignals::LastStop());
    if (!checked) {
        std::fprintf(stderr, "pellmark-check: %s: %s\n", qPrintable(line.options.folder),
                     checked.reason().c_str());
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
    if (!line.retryList.isEmpty() && !stopped())
        written =
            Written(line.retryList, pellmark::WriteWholeFile(line.retryList, retryList)) && written;
    if (html && !stopped()) {
        html->Write(pellmark::CoverageHtmlTail(completeSymbols, symbols));
        written = Written(line.html, html->Commit()) && written;
    }
    if (stopped())
        return frame.Stopped(pellmark::StopSignals::LastStop());
    if (!written)
        return 3;
    return completeSymbols == symbols && symbols > 0 && !listingCut ? 0 : 1;
}
