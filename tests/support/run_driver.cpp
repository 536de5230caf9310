// pellmark_run_driver: presses Download in the real main window, offscreen, against a quote
// service reached through an HTTP proxy, and exits when the run is over. The crash test and
// the run benchmarks drive the program with it.
//
//   pellmark_run_driver --proxy http://127.0.0.1:PORT [--pause-ms N] [--folder DIR]
//                       [--symbols A,B,C] [--count N] [--start YYYY-MM-DD] [--end YYYY-MM-DD]
//
// Every message box is printed to standard error and closed at once. The last line on
// standard output counts the run's symbol-days, the day files it wrote (each file once, so
// repeated symbols count once) and the failed items it listed.
// Exit code 0 after "Historical Data Download Done!", 1 after an error report or when the
// download did not start, 2 for a wrong command line.
#include "core/DateList.h"
#include "core/DayFile.h"
#include "core/TextLines.h"
#include "gui/SaveFolder.h"
#include "WindowDriver.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDate>
#include <QDateEdit>
#include <QDir>
#include <QPushButton>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

const QString kDoneMessage = QStringLiteral("Historical Data Download Done!");
const QStringList kDefaultPairs = {"AUDUSD", "USDJPY", "USDCAD", "USDCHF", "GBPUSD",
                                   "GBPJPY", "GBPAUD", "GBPCAD", "GBPCHF", "EURUSD",
                                   "EURJPY", "EURGBP", "EURCHF"};

struct Options {
    QString proxy;
    std::chrono::milliseconds pause = pellmark::kFetchPause;
    QString folder;
    QStringList symbols;
    std::optional<QDate> start;
    std::optional<QDate> end;
};

std::optional<QDate> DateOption(const QCommandLineParser& parser, const QString& name, bool& ok) {
    if (!parser.isSet(name))
        return std::nullopt;
    const QDate day = QDate::fromString(parser.value(name), Qt::ISODate);
    ok = ok && day.isValid();
    return day;
}

// The symbols given, or the default pairs, repeated or cut to --count lines.
QStringList SymbolLines(const QCommandLineParser& parser, bool& ok) {
    QStringList given =
        parser.isSet("symbols") ? parser.value("symbols").split(u',') : kDefaultPairs;
    if (!parser.isSet("count"))
        return given;
    const int count = parser.value("count").toInt(&ok);
    ok = ok && count > 0;
    QStringList symbols;
    for (int i = 0; ok && i < count; ++i)
        symbols.append(given[i % given.size()]);
    return symbols;
}

std::optional<Options> ParseOptions(const QApplication& app) {
    QCommandLineParser parser;
    parser.setApplicationDescription("Runs one batch download in the main window, offscreen.");
    parser.addHelpOption();
    parser.addOptions({
        {"proxy", "HTTP proxy that answers for the quote service.", "url"},
        {"pause-ms", "Pause before each fetch (default 1510).", "ms"},
        {"folder", "Save folder (default: the current folder).", "dir"},
        {"symbols", "Comma-separated symbols (default: the 13 default pairs).", "list"},
        {"count", "Number of symbol lines: the symbols repeated or cut to this many.", "n"},
        {"start", "First day of the range (default: today).", "yyyy-mm-dd"},
        {"end", "Last day of the range (default: today).", "yyyy-mm-dd"},
    });
    if (!parser.parse(app.arguments())) {
        std::fprintf(stderr, "pellmark_run_driver: %s\n", qUtf8Printable(parser.errorText()));
        return std::nullopt;
    }
    if (parser.isSet("help"))
        parser.showHelp(0);

    bool ok = parser.positionalArguments().isEmpty();
    Options options;
    options.proxy = parser.value("proxy");
    if (parser.isSet("pause-ms")) {
        const int pause = parser.value("pause-ms").toInt(&ok);
        ok = ok && pause >= 0;
        options.pause = std::chrono::milliseconds(pause);
    }
    options.folder =
        QDir(parser.isSet("folder") ? parser.value("folder") : QDir::currentPath()).absolutePath();
    options.symbols = SymbolLines(parser, ok);
    options.start = DateOption(parser, "start", ok);
    options.end = DateOption(parser, "end", ok);
    if (!ok)
        return std::nullopt;
    return options;
}

using FileTimes = std::map<std::string, std::filesystem::file_time_type>;

// The modification times of the run's day files that exist now.
FileTimes DayFileTimes(const std::string& folderText, const QStringList& symbols,
                       const std::vector<std::string>& dates) {
    FileTimes times;
    for (const QString& symbol : symbols) {
        for (const std::string& date : dates) {
            const std::string path = pellmark::DayFilePath(folderText, symbol.toStdString(), date);
            std::error_code error;
            const auto time = std::filesystem::last_write_time(path, error);
            if (!error)
                times[path] = time;
        }
    }
    return times;
}

// Day files that appeared or changed since before.
int WrittenSince(const FileTimes& before, const FileTimes& after) {
    int written = 0;
    for (const auto& [path, time] : after) {
        const auto old = before.find(path);
        if (old == before.end() || old->second != time)
            ++written;
    }
    return written;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::optional<Options> options = ParseOptions(app);
    if (!options) {
        std::fputs("pellmark_run_driver: bad command line (see --help)\n", stderr);
        return 2;
    }

    WindowDriver window(ServiceRoute{options->proxy, options->pause},
                        pellmark::WithTrailingSeparator(options->folder));
    window.setSymbols("Forex", options->symbols.join(u'\n'));
    auto* startPicker = window.child<QDateEdit>("rangeStart");
    auto* endPicker = window.child<QDateEdit>("rangeEnd");
    if (options->start)
        startPicker->setDate(*options->start);
    if (options->end)
        endPicker->setDate(*options->end);

    const std::string folderText = window.saveFolder().toStdString();
    const std::vector<std::string> dates =
        pellmark::WeekdayLabelsNewestFirst(startPicker->date(), endPicker->date());
    const FileTimes before = DayFileTimes(folderText, options->symbols, dates);

    bool ended = false;
    const auto runEnded = [&](int exitCode) {
        ended = true;
        const int written = WrittenSince(before, DayFileTimes(folderText, options->symbols, dates));
        const auto failed = pellmark::SplitLines(window.errors().toStdString()).size();
        std::printf("symbol-days %lld written %d failed %zu\n",
                    static_cast<long long>(options->symbols.size()) *
                        static_cast<long long>(dates.size()),
                    written, failed);
        std::fflush(stdout);
        QCoreApplication::exit(exitCode);
    };
    // Every box is printed and closed at once; the last two of a run end the driver.
    window.boxes.onShown = [&](const FakeMessageBoxes::Box& box) {
        static const char* const kKinds[] = {"Warning", "Information", "Confirm", "Error"};
        std::fprintf(stderr, "[%s] %s\n", kKinds[static_cast<int>(box.kind)],
                     qUtf8Printable(box.text));
        if (box.kind == FakeMessageBoxes::Kind::Information && box.text == kDoneMessage)
            runEnded(0);
        else if (box.kind == FakeMessageBoxes::Kind::ErrorReport)
            runEnded(1);
    };
    // Pressed from the event loop, so that a run that ends at once can still end it.
    QTimer::singleShot(0, window.form.get(), [&] {
        window.child<QPushButton>("downloadButton")->click();
        if (!ended && !window.form->Running()) {
            std::fputs("pellmark_run_driver: the download did not start\n", stderr);
            QCoreApplication::exit(1);
        }
    });
    return app.exec();
}
