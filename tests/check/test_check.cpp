// pellmark-check run on hand-made save folders: the lines it prints, its exit status, the
// retry list it writes, and its HTML report as headless Chromium shows it.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

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
    QByteArray out;
};

Run Check(const QString& folder, QStringList arguments) {
    QProcess process;
    process.start(PELLMARK_CHECK_PATH, arguments.replaceInStrings("@IN", folder));
    process.waitForFinished();
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput()};
}

} // namespace

class TestCheck : public QObject {
    Q_OBJECT

private slots:
    void check_data() {
        QTest::addColumn<Folder>("folder");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("retry");
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
            << QByteArray("AUDUSD-17-Nov-26\r\nAUDUSD-18-Nov-26\r\nAUDUSD-19-Nov-26\r\n"
                          "AUDUSD-20-Nov-26\r\nAUDUSD-24-Nov-26\r\nAUDUSD-25-Nov-26\r\n");
        QTest::newRow("narrowed, a symbol without files")
            << CurrencyFolder() << QStringList{"--symbols", "AUDUSD,EURUSD", "--from=2026-11-13",
                                               "--to",      "2026-11-17",    "@IN"}
            << QByteArray("AUDUSD 13-Nov-26 missing\n"
                          "AUDUSD 17-Nov-26 short 40 of 96 quotes\n"
                          "EURUSD 13-Nov-26 missing\n"
                          "EURUSD 16-Nov-26 missing\n"
                          "EURUSD 17-Nov-26 missing\n"
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
                          "USAMSFT: 0 of 5 days complete, 0 quotes, 0 holes\n")
            << 1
            << QByteArray("USAMSFT-16-Nov-26\r\nUSAMSFT-17-Nov-26\r\nUSAMSFT-18-Nov-26\r\n"
                          "USAMSFT-19-Nov-26\r\nUSAMSFT-20-Nov-26\r\n");
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
            << 1 << QByteArray("AUDUSD-19-Nov-26\r\nAUDUSD-20-Nov-26\r\n");
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
                                     << QByteArray() << 2 << QByteArray("(absent)");
        QTest::newRow("no folder") << StockFolder() << QStringList{"@IN/none"} << QByteArray() << 2
                                   << QByteArray("(absent)");
        QTest::newRow("two folders") << StockFolder() << QStringList{"@IN", "@IN"} << QByteArray()
                                     << 2 << QByteArray("(absent)");
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
        QCOMPARE(run.out, out);
        QCOMPARE(run.status, status);
        QCOMPARE(ReadFile(lists.filePath("r")), retry);
        // Whatever a file name holds reaches the report as text, never as markup.
        const QByteArray report = ReadFile(days.filePath("report.html"));
        QVERIFY(!report.contains("<img"));
        QCOMPARE(report.contains("&lt;img src=x onerror=alert(1)&gt;"),
                 arguments.contains("@IN/report.html"));
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
