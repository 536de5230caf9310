// pellmark-check run on hand-made save folders: the lines it prints, its exit status, the
// retry list it writes, and its HTML report as headless Chromium shows it.
#include "FullDisk.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <random>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using Folder = QList<QPair<QString, QByteArray>>; // file name, content

// One line per quote from first to last every step minutes, skipping the times in gaps; price
// first with " - " unless a layout is given as "time first" and its separator.
QByteArray Quotes(int first, int last, int step, QList<int> gaps = {},
                  const QByteArray& timeFirstSep = {}) {
    QByteArray text;
    for (int minute = first; minute <= last; minute += step) {
        if (gaps.contains(minute))
            continue;
        const QByteArray time = QStringLiteral("%1:%2")
                                    .arg(minute / 60, 2, 10, QLatin1Char('0'))
                                    .arg(minute % 60, 2, 10, QLatin1Char('0'))
                                    .toLatin1();
        const QByteArray price = QByteArray::number(1 + minute / 10000.0, 'f', 4);
        text += timeFirstSep.isNull() ? price + " - " + time : time + timeFirstSep + price;
        text += "\r\n";
    }
    return text;
}

constexpr int kH = 60; // minutes in an hour

// AUDUSD every 15 minutes round the clock, Monday 16 to Friday 4 December 2026.
Folder CurrencyFolder() {
    const QByteArray full = Quotes(0, 23 * kH + 45, 15);
    Folder folder = {
        {"AUDUSD-16-Nov-26.txt", full},
        {"AUDUSD-17-Nov-26.txt", Quotes(0, 9 * kH + 45, 15)},
        {"AUDUSD-18-Nov-26.txt",
         Quotes(0, 23 * kH + 45, 15, {615, 630, 645, 660, 675, 690, 705})}, // 10:00 to 12:00
        {"AUDUSD-20-Nov-26.txt", ""},
        // An early close is no hole; 87 quotes are 90 % of 96, 86 are not.
        {"AUDUSD-23-Nov-26.txt", Quotes(0, 21 * kH + 30, 15)},
        {"AUDUSD-24-Nov-26.txt", Quotes(0, 21 * kH + 15, 15)},
        {"AUDUSD-25-Nov-26.txt", full + "1.2 14:00\r\n"},
        // A gap of three spacings is no hole.
        {"AUDUSD-26-Nov-26.txt", Quotes(0, 23 * kH + 45, 15, {615, 630})},
        {"AUDUSD-27-Nov-26.txt", full},
    };
    for (int day = 30; day <= 34; ++day)
        folder.append({day == 30 ? "AUDUSD-30-Nov-26.txt"
                                 : QStringLiteral("AUDUSD-%1-Dec-26.txt").arg(day - 30),
                       full});
    return folder;
}

// A stock traded 09:30 to 16:00 every 30 minutes, one day with a quote before the open.
Folder StockFolder(const QByteArray& timeFirstSep = {}) {
    const QByteArray day = Quotes(9 * kH + 30, 16 * kH, 30, {}, timeFirstSep);
    return {{"USAMSFT-16-Nov-26.txt", Quotes(7 * kH, 7 * kH, 30, {}, timeFirstSep) + day},
            {"USAMSFT-17-Nov-26.txt", day},
            {"USAMSFT-18-Nov-26.txt", day},
            {"USAMSFT-19-Nov-26.txt", day},
            {"USAMSFT-20-Nov-26.txt", day}};
}

QString DayName(const QString& symbol, QDate day) {
    return symbol + QLocale(QLocale::English).toString(day, "-d-MMM-yy") + ".txt";
}

// 25 week-days from Monday 2 November 2026, every 5 minutes, then every minute from minutely.
Folder ShiftFolder(const QString& symbol, QDate minutely) {
    Folder folder;
    for (QDate day(2026, 11, 2); day <= QDate(2026, 12, 4); day = day.addDays(1)) {
        if (day.dayOfWeek() < 6)
            folder.append({DayName(symbol, day), Quotes(0, 23 * kH + 55, day < minutely ? 5 : 1)});
    }
    return folder;
}

// Ticks round the clock, 2, 0, 3 and 1 in turn each minute, with a lull of 4 minutes from
// 04:00 every day and none from 10:00 to 11:59 on Wednesday.
Folder TickFolder() {
    Folder folder;
    for (QDate day(2026, 11, 16); day <= QDate(2026, 11, 20); day = day.addDays(1)) {
        QByteArray text;
        for (int minute = 0; minute < 24 * kH; ++minute) {
            if ((minute >= 240 && minute < 244) ||
                (day.day() == 18 && minute / kH >= 10 && minute / kH < 12))
                continue;
            for (int tick = 0; tick < QList<int>{2, 0, 3, 1}[minute % 4]; ++tick)
                text += Quotes(minute, minute, 1);
        }
        folder.append({DayName("TICKS", day), text});
    }
    return folder;
}

// Every 5 minutes round the clock for 25 week-days; on 18 November every line twice, to 15:35.
Folder DoubledFolder() {
    Folder folder = ShiftFolder("DOUBLE", {2027, 1, 1});
    folder[12].second = Quotes(0, 15 * kH + 35, 5).repeated(2);
    return folder;
}

// A stock from 09:30 to 15:59 on the 25 week-days from 2 November 2026, drawn from seed: a bar
// in a minute with chance share, or with share 0 ticks at a U-shaped rate, 3 a minute at the
// open and the close and 0.15 at midday. On 18 November none from lostFrom to before lostTo,
// and a quote at least in the minutes either side.
Folder Market(const QString& symbol, double share, unsigned seed, int lostFrom, int lostTo) {
    std::mt19937_64 random(seed);
    const auto uniform = [&random] { return double(random() >> 11) * 0x1p-53; };
    Folder folder = ShiftFolder(symbol, {2027, 1, 1});
    for (int day = 0; day < folder.size(); ++day) {
        folder[day].second.clear();
        for (int minute = 9 * kH + 30; minute < 16 * kH; ++minute) {
            const double u = (minute - 764.5) / 194.5;
            int count = share > 0 && uniform() < share;
            for (double p = share > 0 ? 0 : uniform(); p > std::exp(-0.15 - 2.85 * u * u);
                 p *= uniform())
                ++count;
            if (day == 12 && minute >= lostFrom - 1 && minute <= lostTo)
                count = minute >= lostFrom && minute < lostTo ? 0 : std::max(count, 1);
            folder[day].second += Quotes(minute, minute, 1).repeated(count);
        }
    }
    return folder;
}

// 3,000 symbols with an empty day file each: over 64 KB of listing and a report of megabytes.
Folder EmptySymbols() {
    Folder folder;
    for (int symbol = 0; symbol < 3000; ++symbol)
        folder.append({QStringLiteral("S%1-16-Nov-26.txt").arg(symbol, 4, 10, QChar('0')), ""});
    return folder;
}

void WriteFolder(const QString& path, const Folder& files) {
    for (const auto& [name, bytes] : files) {
        QFile file(QDir(path).filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
    }
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(absent)");
}

struct Run {
    int status = -1;
    QByteArray out, err;
};

// A first argument "@CLOCK=ZONE TIME" runs the check under faketime, in that time zone.
Run Check(const QString& folder, QStringList arguments) {
    QProcess process;
    arguments.replaceInStrings("@IN", folder);
    if (!arguments.isEmpty() && arguments.front().startsWith("@CLOCK=")) {
        const QString clock = arguments.takeFirst().mid(7);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TZ", clock.section(' ', 0, 0));
        AllowPreloadBeforeSanitizer(environment);
        process.setProcessEnvironment(environment);
        process.start("faketime",
                      QStringList{clock.section(' ', 1), PELLMARK_CHECK_PATH} + arguments);
    } else {
        process.start(PELLMARK_CHECK_PATH, arguments);
    }
    process.waitForFinished();
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), process.readAllStandardError()};
}

} // namespace

class TestCheck : public QObject {
    Q_OBJECT

private slots:
    void check_data() {
        QTest::addColumn<Folder>("folder");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("out"); // for a wrong command line (2), standard error
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("retry");
        const auto usage = [](const char* reason) {
            return "pellmark-check: " + QByteArray(reason) +
                   "\nTry 'pellmark-check --help' for more information.\n";
        };
        QTest::newRow("currency pair, three weeks")
            << CurrencyFolder() << QStringList{"@IN"}
            << QByteArray("AUDUSD 17-Nov-26 short 40 of 96 quotes\n"
                          "AUDUSD 18-Nov-26 hole 10:00-12:00\n"
                          "AUDUSD 19-Nov-26 missing\n"
                          "AUDUSD 20-Nov-26 empty\n"
                          "AUDUSD 24-Nov-26 short 86 of 96 quotes\n"
                          "AUDUSD 25-Nov-26 unreadable 1 of 97 lines\n"
                          "AUDUSD: 9 of 15 days complete, 1,164 quotes, 1 hole; usual day 96 "
                          "quotes from 00:00 to 23:45, every 15 min\n")
            << 1
            << QByteArray("AUDUSD-17-Nov-26\r\nAUDUSD-19-Nov-26\r\nAUDUSD-20-Nov-26\r\n"
                          "AUDUSD-24-Nov-26\r\nAUDUSD-25-Nov-26\r\n");
        QTest::newRow("days the batch recorded as all the service has, with a report")
            << CurrencyFolder() +
                   Folder{{"pellmark-market", "# kept by hand\r\nnone AUDUSD-19-nov-26\r\n"
                                              "part AUDUSD-17-Nov-26 40\r\n"
                                              "part AUDUSD-24-Nov-26 90\r\n"}}
            << QStringList{"--html", "@IN/service.html", "@IN"}
            << QByteArray("AUDUSD 17-Nov-26 in part at the service, 40 quotes\n"
                          "AUDUSD 18-Nov-26 hole 10:00-12:00\n"
                          "AUDUSD 19-Nov-26 no data at the service\n"
                          "AUDUSD 20-Nov-26 empty\n"
                          "AUDUSD 24-Nov-26 short 86 of 96 quotes\n"
                          "AUDUSD 25-Nov-26 unreadable 1 of 97 lines\n"
                          "AUDUSD: 9 of 15 days complete, 1,164 quotes, 1 hole; usual day 96 "
                          "quotes from 00:00 to 23:45, every 15 min\n")
            << 1 << QByteArray("AUDUSD-20-Nov-26\r\nAUDUSD-24-Nov-26\r\nAUDUSD-25-Nov-26\r\n");
        QTest::newRow("narrowed, a symbol without files")
            << CurrencyFolder() << QStringList{"--symbols", "AUDUSD,EURUSD", "--from=2026-11-13",
                                               "--to",      "2026-11-17",    "@IN"}
            << QByteArray("AUDUSD 13-Nov-26 missing\n"
                          "AUDUSD 17-Nov-26 short 40 of 96 quotes\n"
                          "EURUSD 13-Nov-26..17-Nov-26 missing, 3 days\n"
                          "AUDUSD: 1 of 3 days complete, 136 quotes, 0 holes; usual day 96 "
                          "quotes from 00:00 to 23:45, every 15 min\n"
                          "EURUSD: 0 of 3 days complete, 0 quotes, 0 holes\n")
            << 1
            << QByteArray("AUDUSD-13-Nov-26\r\nAUDUSD-17-Nov-26\r\nEURUSD-13-Nov-26\r\n"
                          "EURUSD-16-Nov-26\r\nEURUSD-17-Nov-26\r\n");
        QTest::newRow("stock hours, complete")
            << StockFolder() << QStringList{"@IN"}
            << QByteArray("USAMSFT: 5 of 5 days complete, 71 quotes, 0 holes; usual day 14 "
                          "quotes from 09:30 to 16:00, every 30 min\n")
            << 0 << QByteArray("");
        QTest::newRow("time first with a comma")
            << StockFolder(",") << QStringList{"--time-first", "--sep", ",", "@IN"}
            << QByteArray("USAMSFT: 5 of 5 days complete, 71 quotes, 0 holes; usual day 14 "
                          "quotes from 09:30 to 16:00, every 30 min\n")
            << 0 << QByteArray("");
        QTest::newRow("time first read as price first")
            << StockFolder(",") << QStringList{"--sep=,", "@IN"}
            << QByteArray("USAMSFT 16-Nov-26 unreadable 15 of 15 lines\n"
                          "USAMSFT 17-Nov-26 unreadable 14 of 14 lines\n"
                          "USAMSFT 18-Nov-26 unreadable 14 of 14 lines\n"
                          "USAMSFT 19-Nov-26 unreadable 14 of 14 lines\n"
                          "USAMSFT 20-Nov-26 unreadable 14 of 14 lines\n"
                          "USAMSFT: these lines look like TIME then PRICE: try --time-first\n"
                          "USAMSFT: 0 of 5 days complete, 0 quotes, 0 holes\n")
            << 1
            << QByteArray("USAMSFT-16-Nov-26\r\nUSAMSFT-17-Nov-26\r\nUSAMSFT-18-Nov-26\r\n"
                          "USAMSFT-19-Nov-26\r\nUSAMSFT-20-Nov-26\r\n");
        QTest::newRow("spacing changed from 5 min to 1 min")
            << ShiftFolder("SHIFT", {2026, 11, 30}) + ShiftFolder("DENSE", {2026, 11, 9})
            << QStringList{"@IN"}
            << QByteArray("DENSE: 25 of 25 days complete, 30,160 quotes, 0 holes; usual day 1,436 "
                          "quotes from 00:00 to 23:55, every 1 min\n"
                          "SHIFT: 25 of 25 days complete, 12,940 quotes, 0 holes; usual day 288 "
                          "quotes from 00:00 to 23:55, every 5 min\n")
            << 0 << QByteArray("");
        QTest::newRow("ticks, a lull and a hole")
            << TickFolder() << QStringList{"@IN"}
            << QByteArray("TICKS 18-Nov-26 hole 09:59-12:00\n"
                          "TICKS: 4 of 5 days complete, 5,295 quotes, 1 hole; usual day 1,077 "
                          "quotes from 00:00 to 23:59, at irregular times\n")
            << 1 << QByteArray("");
        QTest::newRow("market: illiquid minute bars, 85 % of minutes, 20 minutes lost")
            << Market("THIN", 0.85, 1, 11 * kH, 11 * kH + 20) << QStringList{"@IN"}
            << QByteArray("THIN 18-Nov-26 hole 10:59-11:20\n"
                          "THIN: 24 of 25 days complete, 8,261 quotes, 1 hole; usual day 332 "
                          "quotes from 09:30 to 15:59, every 1 min\n")
            << 1 << QByteArray("");
        QTest::newRow("market: illiquid minute bars, 78 % of minutes, afternoon lost")
            << Market("THINNER", 0.78, 2, 14 * kH + 1, 16 * kH) << QStringList{"@IN"}
            << QByteArray("THINNER 18-Nov-26 short 209 of 308 quotes\n"
                          "THINNER: 24 of 25 days complete, 7,536 quotes, 0 holes; usual day 308 "
                          "quotes from 09:30 to 15:59, every 1 min\n")
            << 1 << QByteArray("THINNER-18-Nov-26\r\n");
        QTest::newRow("market: ticks thinning out at midday, 45 minutes lost")
            << Market("UTICKS", 0, 3, 10 * kH, 10 * kH + 45) << QStringList{"@IN"}
            << QByteArray("UTICKS 18-Nov-26 hole 09:59-10:45\n"
                          "UTICKS: 24 of 25 days complete, 5,360 quotes, 1 hole; usual day 215 "
                          "quotes from 09:30 to 15:59, at irregular times\n")
            << 1 << QByteArray("");
        QTest::newRow("market: a day doubled that stops at 15:35")
            << DoubledFolder() << QStringList{"@IN"}
            << QByteArray("DOUBLE 18-Nov-26 short 188 of 288 quotes\n"
                          "DOUBLE: 24 of 25 days complete, 7,100 quotes, 0 holes; usual day 288 "
                          "quotes from 00:00 to 23:55, every 5 min\n")
            << 1 << QByteArray("DOUBLE-18-Nov-26\r\n");
        const QByteArray edgeDay = Quotes(0, 23 * kH + 45, 15, {615, 630, 645});
        QTest::newRow("90 % of the median day, three spacings and a minute")
            << Folder{{"EDGE-16-Nov-26.txt", Quotes(0, 23 * kH + 45, 15, {615, 630})},
                      {"EDGE-17-Nov-26.txt", edgeDay + "1.0000 - 10:46\r\n"},
                      {"EDGE-18-Nov-26.txt", Quotes(0, 23 * kH + 45, 15)},
                      {"EDGE-19-Nov-26.txt", Quotes(0, 23 * kH + 45, 15)},
                      {"EDGE-20-Nov-26.txt", Quotes(0, 23 * kH + 45, 15)},
                      {"EXACT-16-Nov-26.txt", Quotes(0, 9 * kH, kH)},
                      {"EXACT-17-Nov-26.txt", Quotes(0, 9 * kH, kH)},
                      {"EXACT-18-Nov-26.txt", Quotes(0, 9 * kH, kH)},
                      {"EXACT-19-Nov-26.txt", Quotes(0, 8 * kH, kH)},
                      {"EXACT-20-Nov-26.txt", Quotes(0, 7 * kH, kH)}}
            << QStringList{"@IN"}
            << QByteArray("EDGE 17-Nov-26 hole 10:00-10:46\n"
                          "EXACT 20-Nov-26 short 8 of 10 quotes\n"
                          "EDGE: 4 of 5 days complete, 476 quotes, 1 hole; usual day 96 quotes "
                          "from 00:00 to 23:45, every 15 min\n"
                          "EXACT: 4 of 5 days complete, 47 quotes, 0 holes; usual day 10 quotes "
                          "from 00:00 to 09:00, every 60 min\n")
            << 1 << QByteArray("EXACT-20-Nov-26\r\n");
        QTest::newRow("a day file on a Saturday")
            << StockFolder() + Folder{{"USAMSFT-21-Nov-26.txt", "1.0000 - 10:00\r\n"}}
            << QStringList{"@IN"}
            << QByteArray("USAMSFT 21-Nov-26 is a Saturday: its day file is not checked\n"
                          "USAMSFT: 5 of 5 days complete, 71 quotes, 0 holes; usual day 14 "
                          "quotes from 09:30 to 16:00, every 30 min\n")
            << 0 << QByteArray("");
        QTest::newRow("the first days a file can name")
            << StockFolder() << QStringList{"--from", "1970-01-01", "--to", "1970-01-02", "@IN"}
            << QByteArray("USAMSFT 1-Jan-70..2-Jan-70 missing, 2 days\n"
                          "USAMSFT: 0 of 2 days complete, 0 quotes, 0 holes\n")
            << 1 << QByteArray("USAMSFT-1-Jan-70\r\nUSAMSFT-2-Jan-70\r\n");
        QTest::newRow("days after today")
            << StockFolder() << QStringList{"--from", "2069-12-01", "--to", "2069-12-31", "@IN"}
            << QByteArray("USAMSFT: no day files in the range\n") << 1 << QByteArray("");
        QTest::newRow("before 1970") << StockFolder() << QStringList{"--from", "1969-12-31", "@IN"}
                                     << usage("1969-12-31 is before 1970-01-01, the first day a "
                                              "day file's two-digit year can name")
                                     << 2 << QByteArray("(absent)");
        QTest::newRow("after 2069") << StockFolder() << QStringList{"--to", "2070-01-01", "@IN"}
                                    << usage("2070-01-01 is after 2069-12-31, the last day a day "
                                             "file's two-digit year can name")
                                    << 2 << QByteArray("(absent)");
        QTest::newRow("no day file") << Folder{{"notes.txt", "x"}} << QStringList{"@IN"}
                                     << QByteArray("no day files\n") << 1 << QByteArray("");
        // 90 of 100 quotes is not short, 89 is; a gap of 16 minutes is a hole at 5 minutes.
        const QByteArray hundred = Quotes(0, 8 * kH + 15, 5);
        QTest::newRow("short and hole, each side of the line")
            << Folder{{"AUDUSD-16-Nov-26.txt", hundred},
                      {"AUDUSD-17-Nov-26.txt", hundred},
                      {"AUDUSD-18-Nov-26.txt", Quotes(0, 7 * kH + 25, 5)},
                      {"AUDUSD-19-Nov-26.txt", Quotes(0, 7 * kH + 20, 5)},
                      {"AUDUSD-20-Nov-26.txt",
                       Quotes(0, 8 * kH + 15, 5, {105, 110, 115}) + "1.0116 - 01:56\r\n"},
                      {"AUDUSD-23-Nov-26.txt", hundred},
                      {"AUDUSD-24-Nov-26.txt", hundred}}
            << QStringList{"@IN"}
            << QByteArray("AUDUSD 19-Nov-26 short 89 of 100 quotes\n"
                          "AUDUSD 20-Nov-26 hole 01:40-01:56\n"
                          "AUDUSD: 5 of 7 days complete, 677 quotes, 1 hole; usual day 100 "
                          "quotes from 00:00 to 08:15, every 5 min\n")
            << 1 << QByteArray("AUDUSD-19-Nov-26\r\n");
        // 08:00 in Tokyo is 23:00 GMT the day before: that day is still running.
        QTest::newRow("today's GMT day running, Tokyo clock")
            << Folder{{"AUDUSD-16-Nov-26.txt", hundred},
                      {"AUDUSD-17-Nov-26.txt", hundred},
                      {"AUDUSD-18-Nov-26.txt", hundred},
                      {"AUDUSD-19-Nov-26.txt", hundred},
                      {"AUDUSD-20-Nov-26.txt", Quotes(0, 3 * kH + 15, 5)}}
            << QStringList{"@CLOCK=Asia/Tokyo 2026-11-21 08:00:00", "@IN"}
            << QByteArray("AUDUSD 20-Nov-26 running, 40 quotes so far\n"
                          "AUDUSD: 4 of 5 days complete, 440 quotes, 0 holes; usual day 100 "
                          "quotes from 00:00 to 08:15, every 5 min\n")
            << 0 << QByteArray("");
        QTest::newRow("clock before 1970")
            << StockFolder() << QStringList{"@CLOCK=UTC 1969-12-31 23:00:00", "@IN"}
            << QByteArray("pellmark-check: today (1969-12-31) is outside 1970-01-01..2069-12-31: "
                          "check the clock\n")
            << 2 << QByteArray("(absent)");
        QTest::newRow("no day files") << Folder{} << QStringList{"@IN"}
                                      << QByteArray("no day files\n") << 1 << QByteArray("");
        const QByteArray hostile = "<img src=x onerror=alert(1)>";
        QTest::newRow("markup in a symbol, with a report")
            << Folder{{hostile + "-6-Jun-05.txt", StockFolder()[1].second},
                      {hostile + "-8-Jun-05.txt", StockFolder()[1].second}}
            << QStringList{"--html", "@IN/report.html", "@IN"}
            << QByteArray(hostile + " 7-Jun-05 missing\n" + hostile +
                          ": 2 of 3 days complete, 28 quotes, 0 holes; usual day 14 quotes from "
                          "09:30 to 16:00, every 30 min\n")
            << 1 << QByteArray(hostile + "-7-Jun-05\r\n");
        QTest::newRow("report cannot be written")
            << StockFolder() << QStringList{"--html", "@IN/none/report.html", "@IN"}
            << QByteArray("USAMSFT: 5 of 5 days complete, 71 quotes, 0 holes; usual day 14 "
                          "quotes from 09:30 to 16:00, every 30 min\n")
            << 3 << QByteArray("");
        QTest::newRow("no such day") << StockFolder() << QStringList{"--from", "2026-02-30", "@IN"}
                                     << usage("--from needs a date YYYY-MM-DD, not '2026-02-30'")
                                     << 2 << QByteArray("(absent)");
        QTest::newRow("no folder")
            << StockFolder() << QStringList{"@IN/none"} << usage("'@IN/none' is not a folder") << 2
            << QByteArray("(absent)");
        QTest::newRow("two folders") << StockFolder() << QStringList{"@IN", "@IN"}
                                     << usage("expected one FOLDER") << 2 << QByteArray("(absent)");
        QTest::newRow("reversed range")
            << StockFolder() << QStringList{"--from", "2026-06-09", "--to", "2026-06-08", "@IN"}
            << usage("--from is after --to") << 2 << QByteArray("(absent)");
    }
    void check() {
        QFETCH(Folder, folder);
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, out);
        QFETCH(int, status);
        QFETCH(QByteArray, retry);
        // The folder's name goes into the report's title.
        QTemporaryDir days(QDir::temp().filePath("<img-XXXXXX")), lists;
        WriteFolder(days.path(), folder);
        const Run run = Check(days.path(), arguments << "--retry-list" << lists.filePath("r"));
        QCOMPARE(status == 2 ? run.err : run.out, out.replace("@IN", days.path().toUtf8()));
        QCOMPARE(run.status, status);
        QCOMPARE(ReadFile(lists.filePath("r")), retry);
        // Whatever a file name holds reaches the report as text, never as markup.
        const QByteArray report = ReadFile(days.filePath("report.html"));
        QVERIFY(!report.contains("<img"));
        QCOMPARE(report.contains("&lt;img src=x onerror=alert(1)&gt;"),
                 arguments.contains("@IN/report.html"));
        // The legend's square, then one a day of the service's own class.
        if (arguments.contains("@IN/service.html"))
            QCOMPARE(ReadFile(days.filePath("service.html")).count("<rect class=\"service\""),
                     1 + out.count("at the service"));
        // A reading of its own, written from the README's rule, finds the same faulty days.
        if (QByteArray(QTest::currentDataTag()).startsWith("market")) {
            QProcess reading;
            reading.start("python3", {PELLMARK_READING_PATH, days.path()});
            QVERIFY(reading.waitForFinished(60000));
            QCOMPARE(reading.readAllStandardOutput(), out.left(out.lastIndexOf('\n', -2) + 1));
        }
    }

    void unreadableEntry_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("reason");
        QTest::newRow("link to /dev/zero") << "zero" << QByteArray("not a regular file");
        QTest::newRow("FIFO") << "fifo" << QByteArray("not a regular file");
        QTest::newRow("folder") << "folder" << QByteArray("not a regular file");
        QTest::newRow("dangling link") << "dangling" << QByteArray("No such file or directory");
        QTest::newRow("link loop") << "loop" << QByteArray("Too many levels of symbolic links");
        QTest::newRow("17 MB") << "large" << QByteArray("larger than 16 MB");
        QTest::newRow("no permission") << "denied" << QByteArray("Permission denied");
    }
    void unreadableEntry() {
        QFETCH(QString, kind);
        QFETCH(QByteArray, reason);
        if (kind == "denied" && ::geteuid() == 0)
            QSKIP("root reads any file");
        QTemporaryDir days, lists;
        WriteFolder(days.path(), {{"AUDUSD-16-Nov-26.txt", Quotes(0, 23 * kH + 45, 15)},
                                  {"AUDUSD-18-Nov-26.txt", Quotes(0, 23 * kH + 45, 15)}});
        const QByteArray entry = QFile::encodeName(days.filePath("AUDUSD-17-Nov-26.txt"));
        if (kind == "zero" || kind == "dangling" || kind == "loop")
            QCOMPARE(::symlink(kind == "zero"   ? "/dev/zero"
                               : kind == "loop" ? entry.constData()
                                                : "nowhere",
                               entry),
                     0);
        if (kind == "fifo")
            QCOMPARE(::mkfifo(entry, 0600), 0);
        if (kind == "folder")
            QVERIFY(QDir(days.path()).mkdir("AUDUSD-17-Nov-26.txt"));
        if (kind == "large" || kind == "denied") {
            QFile file(entry);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(kind == "large" ? 17 << 20 : 9));
            QVERIFY(kind == "large" || file.setPermissions({}));
        }
        const Run run = Check(days.path(), {"--retry-list", lists.filePath("r"), "@IN"});
        QCOMPARE(run.status, 1);
        QVERIFY2(run.out.startsWith("AUDUSD 17-Nov-26 unreadable: "), run.out);
        QVERIFY2(run.out.left(run.out.indexOf('\n')).contains(reason), run.out);
        QCOMPARE(ReadFile(lists.filePath("r")), QByteArray("AUDUSD-17-Nov-26\r\n"));
    }

    void listingCutShort() {
        QTemporaryDir days, out;
        WriteFolder(days.path(), EmptySymbols());
        QProcess shell;
        shell.start("bash",
                    {"-c",
                     "\"$0\" --retry-list \"$1\" --html \"$2\" \"$3\" | head -c 100 "
                     ">/dev/null; echo \"${PIPESTATUS[0]}\"",
                     PELLMARK_CHECK_PATH, out.filePath("r"), out.filePath("h"), days.path()});
        QVERIFY(shell.waitForFinished());
        QCOMPARE(shell.readAllStandardOutput(), QByteArray("1\n"));
        QCOMPARE(ReadFile(out.filePath("r")).count('\n'), 3000);
        QVERIFY(ReadFile(out.filePath("r")).endsWith("S2999-16-Nov-26\r\n"));
        QVERIFY(ReadFile(out.filePath("h")).endsWith("</html>\n"));
    }

    void reportOnFullDisk() {
        QTemporaryDir days, out;
        WriteFolder(days.path(), EmptySymbols());
        WriteFolder(out.path(), {{"h", "old"}});
        QProcess check;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        PreloadFullDisk(environment, 500000);
        check.setProcessEnvironment(environment);
        check.start(PELLMARK_CHECK_PATH, {"--html", out.filePath("h"), days.path()});
        QVERIFY(check.waitForFinished());
        QCOMPARE(check.exitCode(), 3);
        QVERIFY(check.readAllStandardError().contains("No space left on device"));
        QCOMPARE(ReadFile(out.filePath("h")), QByteArray("old"));
        QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"h"});
    }

    void htmlReport() {
        QTemporaryDir days, out;
        WriteFolder(days.path(),
                    CurrencyFolder() << QPair<QString, QByteArray>(
                        "<img src=x onerror=alert(1)>-16-Nov-26.txt", Quotes(0, 23 * kH + 45, 15)));
        const QString report = out.filePath("report.html");
        QCOMPARE(Check(days.path(), {"--from", "2026-10-30", "--html", report, "@IN"}).status, 1);
        const QString html = QString::fromUtf8(ReadFile(report));
        QVERIFY(!html.contains("<img"));
        QVERIFY(html.contains("<h2>&lt;img src=x onerror=alert(1)&gt;</h2>"));
        QVERIFY(html.contains("<li>AUDUSD 30-Oct-26..13-Nov-26 missing, 11 days</li>"));
        // A month whose first week is too close to the next month's for both names.
        QStringList months;
        for (const QRegularExpressionMatch& month :
             QRegularExpression("<text x=\"(\\d+)\" y=\"\\d+\">(\\w\\w\\w-\\d\\d)</text>")
                 .globalMatch(html))
            months << month.captured(1) + " " + month.captured(2);
        QCOMPARE(months, QStringList({"48 Nov-26", "48 Nov-26", "104 Dec-26"}));
        // The pen lifts at the start, on both sides of the two short days, at the hole and
        // over the missing and empty days.
        QStringList pens;
        for (const QRegularExpressionMatch& path :
             QRegularExpression("class=\"price\" d=\"([^\"]*)\"").globalMatch(html))
            pens << QString::number(path.captured(1).count(u'M'));
        QCOMPARE(pens, QStringList({"1", "7"}));
        // The price line runs to the end of the range's last day, a Monday here, at x 560.
        const QString end = QRegularExpression("L([\\d.]+) [\\d.]+h0\"").match(html).captured(1);
        QVERIFY2(end.toDouble() > 555, qPrintable(end));
    }

    void htmlReportInChromium() {
        const QString chromium = QStandardPaths::findExecutable("chromium");
        if (chromium.isEmpty())
            QSKIP("Chromium is not installed (scripts/install-deps.sh adds it)");
        QTemporaryDir days, out, profile;
        WriteFolder(days.path(), CurrencyFolder());
        const QString report = out.filePath("report.html");
        QCOMPARE(Check(days.path(), {"--html", report, "@IN"}).status, 1);

        QProcess browser;
        browser.start(chromium, {"--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
                                 "--disable-background-networking", "--disable-component-update",
                                 "--disable-sync", "--user-data-dir=" + profile.path(),
                                 "--dump-dom", "file://" + report});
        if (!browser.waitForFinished(60000) || browser.exitStatus() != QProcess::NormalExit ||
            browser.exitCode() != 0)
            QSKIP(qPrintable("Chromium cannot start here: " +
                             browser.readAllStandardError().right(300)));
        const QByteArray dom = browser.readAllStandardOutput();
        QVERIFY2(dom.contains("<svg"), dom.left(300));
        for (const char* title :
             {"AUDUSD 17-Nov-26: short, 40 of 96 quotes",
              "AUDUSD 18-Nov-26: holed, hole 10:00-12:00", "AUDUSD 19-Nov-26: missing, no day file",
              "AUDUSD 20-Nov-26: empty, no quote", "AUDUSD 24-Nov-26: short, 86 of 96 quotes",
              "AUDUSD 25-Nov-26: unreadable, 1 of 97 lines not quotes"})
            QVERIFY2(dom.contains(QByteArray("<title>") + title + "</title>"), title);
    }
};

QTEST_GUILESS_MAIN(TestCheck)
#include "test_check.moc"
