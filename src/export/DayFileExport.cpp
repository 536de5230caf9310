#include "export/DayFileExport.h"

#include "core/DayFileName.h"
#include "core/DayFileRead.h"
#include "core/QuoteLine.h"
#include "core/ServiceDay.h"
#include "export/DayAssembler.h"
#include "export/SqliteTarget.h"
#include "export/TextTarget.h"

#include <QDir>
#include <QSet>

#include <algorithm>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string_view>

namespace pellmark {
namespace {

// An 8 MB file of empty lines would otherwise give a million messages.
constexpr int kLinesReportedPerFile = 10;
constexpr long long kSecondsPerDay = 86400;
constexpr qint64 kJulianDayOf1970 = 2440588;
// A day of a zone takes its quotes from the GMT days up to two away (a zone ahead by 14 h on
// a 25-hour day): reading those beside a changed one makes its days whole.
constexpr qint64 kDaysBeside = 2;

// Per symbol, in symbol order; each symbol's files in date order.
using DayFilesBySymbol = std::map<QString, std::vector<DayFileEntry>>;

// The first and the last day of every symbol in the folder, filters aside: what the folder
// holds, to tell when nothing in it is wanted.
struct DaySpan {
    QDate first;
    QDate last;
};
using FolderDays = std::map<QString, DaySpan>;

// Enough symbols to recognise the folder by without filling the screen.
constexpr int kSymbolsNamed = 5;

// The lines of one symbol that are not quotes: told line by line, unless none of the symbol's
// lines is read and the hint about their layout says all that matters.
struct BadLines {
    int count = 0;
    std::vector<std::optional<LineLayout>> guesses; // of the first kLinesBeforeLayoutHint
    std::vector<ExportProblem> told;
    std::optional<ExportProblem> hint;
};

bool StopAsked(const ExportOptions& options) {
    return options.stop != nullptr && options.stop->load(std::memory_order_relaxed);
}

bool Wanted(const DayFileName& name, const ExportOptions& options, const QSet<QString>& symbols) {
    return (symbols.isEmpty() || symbols.contains(name.symbol)) &&
           (!options.from.isValid() || name.day >= options.from) &&
           (!options.to.isValid() || name.day <= options.to);
}

DayFilesBySymbol FindDayFiles(const ExportOptions& options, const QSet<QString>& symbols,
                              FolderDays& folderDays, ExportReport& report) {
    const QDir folder(options.folder);
    DayFilesBySymbol found;
    if (!folder.isReadable()) {
        report.problems.push_back({options.folder, 0, QStringLiteral("cannot read the folder")});
        return found;
    }
    // Hidden files are left out: a run saves through hidden temporary files. FIFOs, devices,
    // folders and dangling links are listed, so that one named like a day file is reported,
    // not passed over.
    const QStringList names = folder.entryList(
        {QStringLiteral("*.txt")}, QDir::Files | QDir::System | QDir::Dirs | QDir::NoDotAndDotDot,
        QDir::Name);
    for (const QString& name : names) {
        const std::optional<DayFileName> dayFile = ParseDayFileName(name);
        if (!dayFile && options.ownFiles.contains(name))
            continue;
        if (!dayFile) {
            report.notes.push_back(
                {folder.filePath(name), 0,
                 QStringLiteral("not a day file name (SYMBOL-d-mmm-yy.txt), skipped")});
            continue;
        }
        DaySpan& span = folderDays[dayFile->symbol];
        span.first = span.first.isValid() ? std::min(span.first, dayFile->day) : dayFile->day;
        span.last = std::max(span.last, dayFile->day);
        if (Wanted(*dayFile, options, symbols))
            found[dayFile->symbol].push_back({folder.filePath(name), dayFile->day});
    }
    // Every day has one file name only, so no two files of a symbol share a date.
    for (auto& [symbol, files] : found) {
        std::sort(files.begin(), files.end(),
                  [](const DayFileEntry& a, const DayFileEntry& b) { return a.day < b.day; });
    }
    return found;
}

QString IsoDay(QDate day) {
    return day.toString(Qt::ISODate);
}

// What the folder holds when none of it is wanted: no day files at all, none of the symbols
// asked for, or none of their days in the range.
QString NothingToExport(const ExportOptions& options, const FolderDays& folderDays) {
    if (folderDays.empty())
        return QStringLiteral("no day files (SYMBOL-d-mmm-yy.txt) here, nothing to export");
    QStringList held;
    DaySpan span;
    for (const auto& [symbol, days] : folderDays) {
        if (!options.symbols.isEmpty() && !options.symbols.contains(symbol))
            continue;
        held << symbol;
        span.first = span.first.isValid() ? std::min(span.first, days.first) : days.first;
        span.last = std::max(span.last, days.last);
    }
    if (held.isEmpty()) {
        for (const auto& [symbol, days] : folderDays)
            held << symbol;
        const qsizetype more = held.size() - kSymbolsNamed;
        return "no day files of " + options.symbols.join(QStringLiteral(", ")) +
               " (the folder holds " + held.mid(0, kSymbolsNamed).join(QStringLiteral(", ")) +
               (more > 0 ? QStringLiteral(" and %1 more").arg(more) : QString()) +
               "), nothing to export";
    }
    // Only a range leaves out every day of a symbol the folder holds.
    const QString range = !options.to.isValid() ? "from " + IsoDay(options.from) + " on"
                          : !options.from.isValid()
                              ? "up to " + IsoDay(options.to)
                              : "from " + IsoDay(options.from) + " to " + IsoDay(options.to);
    return "no day files " + range + " (the days run from " + IsoDay(span.first) + " to " +
           IsoDay(span.last) + "), nothing to export";
}

// The quotes of a day file in time order; lines that are not quotes become problems when
// told is set.
std::vector<Quote> ReadQuotes(const DayFileEntry& file, std::string_view text,
                              const ExportOptions& options, const QString& layoutText, bool told,
                              BadLines& badLines) {
    std::vector<Quote> quotes;
    int badInFile = 0;
    ForEachDayFileLine(text, [&](std::string_view line, int lineNumber) {
        if (const std::optional<Quote> quote =
                SplitQuoteLine(line, options.order, options.separator)) {
            quotes.push_back(*quote);
            return;
        }
        if (!told)
            return;
        if (++badInFile <= kLinesReportedPerFile)
            badLines.told.push_back(
                {file.path, lineNumber, QStringLiteral("not a quote line \"%1\"").arg(layoutText)});
        if (++badLines.count <= kLinesBeforeLayoutHint) {
            badLines.guesses.push_back(GuessLayout(line));
            if (badLines.count == kLinesBeforeLayoutHint) {
                if (const std::optional<std::string> hint =
                        LayoutHint(badLines.guesses, options.order, options.separator))
                    badLines.hint = ExportProblem{file.path, 0, QString::fromStdString(*hint)};
            }
        }
    });
    if (badInFile > kLinesReportedPerFile)
        badLines.told.push_back({file.path, 0,
                                 QStringLiteral("%1 more lines that are not quote lines")
                                     .arg(badInFile - kLinesReportedPerFile)});
    // "HH:MM" sorts as text; the stable sort keeps equal times in file order. A run writes
    // its files in time order, so most need no sorting.
    const auto earlier = [](const Quote& a, const Quote& b) { return a.time < b.time; };
    if (!std::is_sorted(quotes.begin(), quotes.end(), earlier))
        std::stable_sort(quotes.begin(), quotes.end(), earlier);
    return quotes;
}

int MinuteOfDay(std::string_view time) {
    return ((time[0] - '0') * 10 + (time[1] - '0')) * 60 + (time[3] - '0') * 10 + (time[4] - '0');
}

// The files to read: those the target asked for and, when bars are cut in another zone than
// GMT, the files of the days beside them, which the zone's days share.
std::vector<bool> FilesToRead(const std::vector<DayFileEntry>& files,
                              const std::vector<bool>& asked, bool besides) {
    std::vector<bool> read = asked;
    if (!besides)
        return read;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!asked[i])
            continue;
        for (std::size_t j = i; j > 0 && files[i].day.daysTo(files[j - 1].day) >= -kDaysBeside;)
            read[--j] = true;
        for (std::size_t j = i + 1;
             j < files.size() && files[i].day.daysTo(files[j].day) <= kDaysBeside; ++j)
            read[j] = true;
    }
    return read;
}

class SymbolExport {
public:
    SymbolExport(const ExportOptions& options, ExportTarget& target, ExportReport& report)
        : options_(options), target_(target), report_(report),
          layoutText_(QString::fromStdString(LayoutText(options.order, options.separator))) {}

    // False when a stop was asked for before every file was read.
    bool Run(const QString& symbol, const std::vector<DayFileEntry>& files) {
        const std::vector<bool> asked = target_.StartSymbol(symbol, files);
        const std::vector<int> lengths = target_.BarLengths();
        const std::vector<bool> read =
            FilesToRead(files, asked, !lengths.empty() && !options_.zone.IsGmt());
        DayAssembler days(target_, lengths, options_.withRunningDay);
        // The texts the quotes in hand view into.
        std::deque<std::string> texts;
        BadLines badLines;
        long long quotes = 0;
        int filesAsked = 0;
        SymbolEnd end;
        end.lastDay = files.back().day;
        for (std::size_t i = 0; i < files.size(); ++i) {
            if (!read[i])
                continue;
            if (StopAsked(options_))
                return false;
            const DayFileEntry& file = files[i];
            Result<std::string> text = ReadDayFile(file.path);
            if (!text) {
                report_.problems.push_back(
                    {file.path, 0, "unreadable: " + QString::fromStdString(text.reason())});
                ++report_.filesSkipped;
                continue;
            }
            // A day of the zone takes its quotes from three day files at most.
            if (days.Empty())
                texts.clear();
            texts.push_back(std::move(*text));
            if (texts.size() > 3)
                texts.pop_front();
            const std::vector<Quote> dayQuotes =
                ReadQuotes(file, texts.back(), options_, layoutText_, asked[i], badLines);
            const bool running = DayIsRunning(file.path, file.day, options_.today);
            if (asked[i]) {
                ++filesAsked;
                quotes += static_cast<long long>(dayQuotes.size());
                target_.FileRead(file, static_cast<long long>(dayQuotes.size()), running);
                if (running)
                    end.running.push_back(file.day);
            }
            HandOn(file, dayQuotes, running, asked[i], days);
        }
        days.Flush();
        report_.linesSkipped += badLines.count;
        end.keep = Judge(symbol, filesAsked, quotes, badLines);
        target_.EndSymbol(end, report_);
        return true;
    }

private:
    void HandOn(const DayFileEntry& file, const std::vector<Quote>& quotes, bool running,
                bool fresh, DayAssembler& days) {
        const DayOffsets offsets = options_.zone.Offsets(file.day);
        const long long dayStart = (file.day.toJulianDay() - kJulianDayOf1970) * kSecondsPerDay;
        const QDate zoneDays[3] = {file.day.addDays(-1), file.day, file.day.addDays(1)};
        int n = 0;
        std::string_view previous;
        for (const Quote& quote : quotes) {
            const int gmtSecond = MinuteOfDay(quote.time) * 60;
            const ZoneTime zoneTime = offsets.At(gmtSecond);
            n = quote.time == previous ? n + 1 : 0;
            previous = quote.time;
            days.Add(zoneDays[zoneTime.dayShift + 1],
                     {dayStart + gmtSecond, zoneTime.offset, zoneTime.second, n, quote.price,
                      running, fresh});
        }
    }

    // Whether the symbol is written, with what is told about its lines.
    bool Judge(const QString& symbol, int filesAsked, long long quotes, const BadLines& bad) {
        if (quotes == 0 && bad.hint) {
            // Files saved in another layout: one line says which, not one per line.
            report_.problems.push_back({Where(symbol), 0, "not written: " + bad.hint->reason});
            return false;
        }
        report_.problems.insert(report_.problems.end(), bad.told.begin(), bad.told.end());
        if (bad.hint)
            report_.problems.push_back(*bad.hint);
        if (filesAsked > 0 && quotes == 0) {
            report_.notes.push_back(
                {Where(symbol), 0, QStringLiteral("not written: the day files hold no quotes")});
            return false;
        }
        return true;
    }

    // The file a symbol is written to, or the database and the symbol, for a message.
    QString Where(const QString& symbol) const {
        if (!options_.database.isEmpty())
            return options_.database + ": " + symbol;
        return QDir(options_.outDir)
            .filePath(LayoutFileName(*options_.layout, symbol, options_.barMinutes));
    }

    const ExportOptions& options_;
    ExportTarget& target_;
    ExportReport& report_;
    const QString layoutText_;
};

std::unique_ptr<ExportTarget> MakeTarget(const ExportOptions& options, ExportReport& report) {
    if (options.database.isEmpty()) {
        QDir(options.outDir).mkpath(QStringLiteral("."));
        return std::make_unique<TextTarget>(options.outDir, *options.layout, options.barMinutes,
                                            options.withRunningDay);
    }
    Result<std::unique_ptr<SqliteTarget>> opened = SqliteTarget::Open(
        options.database, options.zone, options.barMinutes, options.withRunningDay, options.today);
    if (!opened) {
        report.problems.push_back({options.database, 0, QString::fromStdString(opened.reason())});
        return nullptr;
    }
    return std::move(*opened);
}

} // namespace

ExportReport ExportDayFiles(const ExportOptions& options) {
    ExportReport report;
    const QSet<QString> symbols(options.symbols.begin(), options.symbols.end());
    FolderDays folderDays;
    const DayFilesBySymbol bySymbol = FindDayFiles(options, symbols, folderDays, report);
    QSet<QString> listedMissing;
    for (const QString& symbol : options.symbols) {
        if (!bySymbol.contains(symbol) && !listedMissing.contains(symbol)) {
            listedMissing.insert(symbol);
            report.symbolsWithoutDayFiles.append(symbol);
        }
    }
    if (bySymbol.empty()) {
        if (report.problems.empty())
            report.problems.push_back({options.folder, 0, NothingToExport(options, folderDays)});
        return report;
    }
    const std::unique_ptr<ExportTarget> target = MakeTarget(options, report);
    if (!target)
        return report;
    SymbolExport symbolExport(options, *target, report);
    for (const auto& [symbol, files] : bySymbol) {
        if (!symbolExport.Run(symbol, files) || StopAsked(options)) {
            report.stopped = true;
            return report;
        }
    }
    target->Finish(report);
    // A stop that came while the files took their names still ends the program as stopped.
    report.stopped = StopAsked(options);
    return report;
}

} // namespace pellmark
