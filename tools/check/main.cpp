// pellmark-check: how complete the day files of a save folder are.
#include "check/CoverageHtml.h"
#include "check/CoverageText.h"
#include "CheckCommandLine.h"
#include "core/WholeFile.h"
#include "ProgramFrame.h"
#include "StopSignals.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>

namespace {

bool Write(const QString& path, const std::string& bytes) {
    if (const std::optional<std::string> reason = pellmark::WriteWholeFile(path, bytes)) {
        std::fprintf(stderr, "pellmark-check: cannot write %s: %s\n", qPrintable(path),
                     reason->c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    // A stop ends the check between its steps, never inside a file it writes.
    const pellmark::ProgramFrame frame("pellmark-check");
    if (const auto refused = frame.RefuseNonUtf8(argc, argv))
        return *refused;
    QCoreApplication app(argc, argv);
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

    const pellmark::CheckReport report = pellmark::CheckFolder(line.options);
    if (stopped())
        return frame.Stopped(pellmark::StopSignals::LastStop());
    if (!report.error.isEmpty()) {
        std::fprintf(stderr, "pellmark-check: %s: %s\n", qPrintable(line.options.folder),
                     qPrintable(report.error));
        return 1;
    }
    bool complete = true;
    for (const pellmark::SymbolCoverage& symbol : report.symbols) {
        complete = complete && pellmark::AllComplete(symbol);
        for (const pellmark::DayCoverage& day : symbol.days) {
            if (day.state != pellmark::DayState::Complete)
                std::printf("%s\n", qPrintable(pellmark::FaultLine(symbol, day)));
        }
    }
    for (const pellmark::SymbolCoverage& symbol : report.symbols)
        std::printf("%s\n", qPrintable(pellmark::SummaryLine(symbol)));
    if (report.symbols.empty())
        std::printf("no day files\n");
    std::fflush(stdout);

    bool written = true;
    if (!line.retryList.isEmpty() && !stopped())
        written = Write(line.retryList, pellmark::RetryList(report.symbols)) && written;
    if (!line.html.isEmpty() && !stopped()) {
        const QString title =
            QStringLiteral("Day files in %1").arg(QDir::toNativeSeparators(line.options.folder));
        written = Write(line.html, pellmark::CoverageHtml(title, report.symbols)) && written;
    }
    if (stopped())
        return frame.Stopped(pellmark::StopSignals::LastStop());
    if (!written)
        return 3;
    return complete && !report.symbols.empty() ? 0 : 1;
}
