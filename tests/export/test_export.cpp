// Day-file names and lines read back, the CSV series and bars built from a folder, and what
// pellmark-export tells the user on odd input, a full disk and a signal.
#include "FullDisk.h"

#include "core/DayFileName.h"
#include "core/QuoteLine.h"
#include "export/DayFileExport.h"
#include "export/OhlcBars.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/mount.h>
#include <sys/stat.h>

using namespace pellmark;

namespace {

// Listed by name, these come in neither date order nor line order.
const QList<QPair<QString, QByteArray>> kFolder = {
    {"EUR-USD-3-Jan-00.txt", "1.0100 - 00:10\r\n1.0090 - 00:05\r\n"},
    {"EUR-USD-31-Dec-99.txt", "0.9900 - 23:55\r\nbad line\r\n0.9800 - 23:55\r\n"},
    {"EUR-USD-1-Mar-05.txt", "1.3000 - 09:00\n"},
    {"EUR-USD-28-Feb-05.txt", "1.2900 - 09:00\r"},
    {"GBPUSD-5-Jun-70.txt", "1.8 - 12:00\r\n"},
    {"notes.txt", "1.2 - 12:00\r\n"},
    {"failed.txt", "GBPUSD-6-Jun-05\r\n"},
};

// The files of kFolder whose names start with prefix.
void WriteFolder(const QString& path, const QString& prefix = {}) {
    for (const auto& [name, bytes] : kFolder) {
        if (!name.startsWith(prefix))
            continue;
        QFile file(QDir(path).filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
}

// A row of a table whose columns are all text.
template <typename... Texts> void TextRow(const char* name, const Texts&... texts) {
    (QTest::newRow(name) << ... << QString(texts));
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(absent)");
}

// A day of 300 quotes out of time order, on 24 hours' first ten minutes, from five close
// prices, each written with the fraction it needs and at times one more zero ("9.1", "9.10"),
// and the prices in ten-thousandths, so that a test can build bars with exact whole numbers.
struct RandomDay {
    QByteArray bytes;
    QList<QPair<int, QByteArray>> quotes; // minute of the day, price as written
    QHash<QByteArray, qint64> value;
};

RandomDay MakeRandomDay(quint32 seed) {
    QRandomGenerator random(seed);
    qint64 prices[5];
    // Whole parts of one and two digits, fractions that begin alike (9.1, 9.15).
    for (qint64& price : prices)
        price =
            (9 + random.bounded(2)) * 10000 + random.bounded(3) * 1000 + random.bounded(2) * 500;
    RandomDay day;
    for (int i = 0; i < 300; ++i) {
        const qint64 price = prices[random.bounded(5)];
        QByteArray fraction = QByteArray::number(price % 10000 + 10000).mid(1);
        while (fraction.endsWith('0'))
            fraction.chop(1);
        fraction += QByteArray(random.bounded(4) / 2, '0');
        const QByteArray text =
            QByteArray::number(price / 10000) + (fraction.isEmpty() ? "" : "." + fraction);
        const int minute = random.bounded(24) * 60 + random.bounded(10);
        day.bytes +=
            text + " - " + QTime(0, 0).addSecs(minute * 60).toString("HH:mm").toUtf8() + "\r\n";
        day.quotes.append({minute, text});
        day.value[text] = price;
    }
    return day;
}

// The day's bars, high and low as values: "2005-06-08,10:00,OPEN,HIGH,LOW,CLOSE,TICKS".
QByteArrayList ReferenceBars(RandomDay day, int minutes) {
    std::stable_sort(day.quotes.begin(), day.quotes.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    QByteArrayList bars;
    for (qsizetype first = 0, next = 0; first < day.quotes.size(); first = next) {
        const int start = day.quotes[first].first / minutes * minutes;
        qint64 high = -1, low = 1 << 30;
        for (next = first;
             next < day.quotes.size() && day.quotes[next].first / minutes * minutes == start;
             ++next) {
            high = std::max(high, day.value[day.quotes[next].second]);
            low = std::min(low, day.value[day.quotes[next].second]);
        }
        bars << "2005-06-08," + QTime(0, 0).addSecs(start * 60).toString("HH:mm").toUtf8() + "," +
                    day.quotes[first].second + "," + QByteArray::number(high) + "," +
                    QByteArray::number(low) + "," + day.quotes[next - 1].second + "," +
                    QByteArray::number(next - first);
    }
    return bars;
}

} // namespace

class TestExport : public QObject {
    Q_OBJECT

private slots:
    void dayFileName_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("read"); // "symbol yyyy-mm-dd"; empty: not a day file
        TextRow("plain", "AUDUSD-5-Jun-05.txt", "AUDUSD 2005-06-05");
        TextRow("hyphens in symbol", "EUR-USD-12-Dec-69.txt", "EUR-USD 2069-12-12");
        TextRow("year 70", "DJI-1-Jan-70.txt", "DJI 1970-01-01");
        TextRow("last day a label names", "DJI-31-Dec-69.txt", "DJI 2069-12-31");
        TextRow("leap day", "X-29-Feb-00.txt", "X 2000-02-29");
        TextRow("no such day", "X-29-Feb-01.txt", "");
        TextRow("leading zero", "X-05-Jun-05.txt", "");
        TextRow("month case", "X-5-JUN-05.txt", "");
        TextRow("four-digit year", "X-5-Jun-2005.txt", "");
        TextRow("empty symbol", "-5-Jun-05.txt", "");
        TextRow("no symbol field", "5-Jun-05.txt", "");
        TextRow("other suffix", "X-5-Jun-05.csv", "");
    }
    void dayFileName() {
        QFETCH(QString, name);
        QFETCH(QString, read);
        const std::optional<DayFileName> got = ParseDayFileName(name);
        QCOMPARE(got ? got->symbol + ' ' + got->day.toString(Qt::ISODate) : QString(), read);
    }

    void quoteLine_data() {
        QTest::addColumn<QString>("order");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("quote"); // "time,price"; empty: not a quote line
        TextRow("default", "price first", " - ", "1.2345 - 14:05", "14:05,1.2345");
        TextRow("time first", "time first", " - ", "14:05 - 108.4", "14:05,108.4");
        TextRow("hyphen", "price first", "-", "25-09:30", "09:30,25");
        TextRow("colon, price first", "price first", ":", "1.5:00:00", "00:00,1.5");
        TextRow("colon, time first", "time first", ":", "23:59:1.5", "23:59,1.5");
        TextRow("no separator", "time first", "", "00:051.2345", "00:05,1.2345");
        TextRow("wrong order", "price first", " - ", "14:05 - 1.2345", "");
        TextRow("wrong separator", "price first", " - ", "1.2345,14:05", "");
        TextRow("hour 24", "price first", " - ", "1.2 - 24:00", "");
        TextRow("bad price", "price first", " - ", "1.2. - 14:05", "");
        TextRow("no price", "price first", " - ", " - 14:05", "");
        TextRow("service's empty record", "price first", " - ", " - :", "");
    }
    void quoteLine() {
        QFETCH(QString, order);
        QFETCH(QString, separator);
        QFETCH(QString, line);
        QFETCH(QString, quote);
        const std::string text = line.toStdString(); // the quote views into it
        const std::optional<Quote> got = SplitQuoteLine(
            text, order == "time first" ? LineOrder::TimeFirst : LineOrder::PriceFirst,
            separator.toStdString());
        QCOMPARE(
            got ? QString::fromStdString(std::string(got->time) + ',' + std::string(got->price))
                : QString(),
            quote);
    }

    void exportFolder_data() {
        QTest::addColumn<QStringList>("symbols");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<QByteArray>("eurUsd");
        QTest::addColumn<QByteArray>("gbpUsd");
        QTest::addColumn<QStringList>("problems");
        QTest::newRow("everything")
            << QStringList() << QDate() << QDate()
            << QByteArray(
                   "date,time,price\r\n1999-12-31,23:55,0.9900\r\n1999-12-31,23:55,0.9800\r\n"
                   "2000-01-03,00:05,1.0090\r\n2000-01-03,00:10,1.0100\r\n"
                   "2005-02-28,09:00,1.2900\r\n2005-03-01,09:00,1.3000\r\n")
            << QByteArray("date,time,price\r\n1970-06-05,12:00,1.8\r\n")
            << QStringList{"EUR-USD-31-Dec-99.txt:2: not a quote line \"PRICE - HH:MM\"",
                           "notes.txt: not a day file name (SYMBOL-d-mmm-yy.txt), skipped"};
        QTest::newRow("one symbol, 2005 up to its last day")
            << QStringList{"EUR-USD", "EURUSD"} << QDate(2005, 1, 1) << QDate(2005, 3, 1)
            << QByteArray(
                   "date,time,price\r\n2005-02-28,09:00,1.2900\r\n2005-03-01,09:00,1.3000\r\n")
            << QByteArray("(absent)")
            << QStringList{"notes.txt: not a day file name (SYMBOL-d-mmm-yy.txt), skipped"};
    }
    void exportFolder() {
        QFETCH(QStringList, symbols);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(QByteArray, eurUsd);
        QFETCH(QByteArray, gbpUsd);
        QFETCH(QStringList, problems);
        QTemporaryDir folder, out;
        WriteFolder(folder.path());
        QFile old(out.filePath("EUR-USD.csv"));
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old\r\n") == 5);
        old.close();

        const ExportReport report = ExportDayFiles(
            {folder.path(), out.path(), LineOrder::PriceFirst, " - ", symbols, from, to});
        QStringList got;
        for (const auto* list : {&report.problems, &report.notes}) {
            for (const ExportProblem& problem : *list)
                got << ProblemText(problem).remove(folder.path() + "/");
        }
        QCOMPARE(got, problems);
        QCOMPARE(ReadFile(out.filePath("EUR-USD.csv")), eurUsd);
        QCOMPARE(ReadFile(out.filePath("GBPUSD.csv")), gbpUsd);
        QCOMPARE(report.symbolsWithoutDayFiles, symbols.mid(1));
    }

    void bars_data() {
        QTest::addColumn<QString>("length");
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<quint32>("seed"); // not 0: a RandomDay, against ReferenceBars
        const QByteArray header = "date,time,open,high,low,close,ticks\r\n";
        QTest::newRow("1h") << "1h"
                            << header + "2005-06-07,23:00,1.5,1.5,1.5,1.5,1\r\n"
                                        "2005-06-08,10:00,10.25,10.30,9.5,9.5,4\r\n"
                                        "2005-06-08,11:00,10.0,10.0,10.0,10.0,1\r\n"
                                        "2005-06-08,13:00,8,8,8,8,1\r\n"
                            << 0u;
        QTest::newRow("4h") << "4h"
                            << header + "2005-06-07,20:00,1.5,1.5,1.5,1.5,1\r\n"
                                        "2005-06-08,08:00,10.25,10.30,9.5,10.0,5\r\n"
                                        "2005-06-08,12:00,8,8,8,8,1\r\n"
                            << 0u;
        QTest::newRow("1d") << "1d"
                            << header + "2005-06-07,00:00,1.5,1.5,1.5,1.5,1\r\n"
                                        "2005-06-08,00:00,10.25,10.30,8,8,6\r\n"
                            << 0u;
        quint32 seed = 0;
        for (const char* length : {"5min", "15min", "30min", "1h", "4h", "1d"})
            QTest::addRow("random day %u, %s", ++seed, length) << length << header << seed;
    }
    void bars() {
        QFETCH(QString, length);
        QFETCH(QByteArray, csv);
        QFETCH(quint32, seed);
        QTemporaryDir folder, out;
        // Out of time order; by text "9.75" is above "10.30", by value below it.
        QList<QPair<QString, QByteArray>> days = {
            {"X-8-Jun-05.txt", "9.5 - 10:59\r\n10.25 - 10:00\r\n9.75 - 10:30\r\n10.0 - 11:00\r\n"
                               "8 - 13:05\r\n10.30 - 10:30\r\n"},
            {"X-7-Jun-05.txt", "1.5 - 23:59\r\n"}};
        const RandomDay random = MakeRandomDay(seed);
        if (seed != 0)
            days = {{"X-8-Jun-05.txt", random.bytes}};
        for (const auto& [name, bytes] : days) {
            QFile file(folder.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        }
        ExportOptions options;
        options.folder = folder.path();
        options.outDir = out.path();
        options.barMinutes = ParseBarLength(length).value_or(0);
        QVERIFY(ExportDayFiles(options).problems.empty());
        if (seed == 0) {
            QCOMPARE(ReadFile(out.filePath("X-" + length + ".csv")), csv);
            return;
        }
        QByteArrayList rows = ReadFile(out.filePath("X-" + length + ".csv")).split('\n');
        QCOMPARE(rows.takeFirst() + '\n', csv);
        QCOMPARE(rows.takeLast(), QByteArray());
        for (QByteArray& row : rows) {
            QByteArrayList fields = row.chopped(1).split(',');
            QVERIFY2(fields.size() == 7 && random.value.contains(fields[3]) &&
                         random.value.contains(fields[4]),
                     row);
            fields[3] = QByteArray::number(random.value[fields[3]]);
            fields[4] = QByteArray::number(random.value[fields[4]]);
            row = fields.join(',');
        }
        QCOMPARE(rows, ReferenceBars(random, ParseBarLength(length).value_or(0)));
    }

    // What the user sees of pellmark-export: status, messages and the CSV of GBPUSD, which
    // holds "old" before the run. `odd` is a further entry GBPUSD-6-Jun-05.txt: FIFO, a link
    // to /dev/zero, a folder, a dangling link, a 17 MB file, or else the bytes it holds.
    void command_data() {
        QTest::addColumn<QString>("files");
        QTest::addColumn<QByteArray>("odd");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("says"); // "!text": not said
        QTest::addColumn<QByteArray>("gbpUsd");
        const QByteArray old = "old\r\n";
        const QByteArray rows = "date,time,price\r\n1970-06-05,12:00,1.8\r\n";
        const QStringList inOut = {"@IN", "@OUT"};
        QTest::newRow("clean") << "GBPUSD" << QByteArray() << inOut << 0
                               << QStringList{"GBPUSD.csv: 1 row, 1970-06-05\n"} << rows;
        QTest::newRow("bad line") << "EUR" << QByteArray()
                                  << QStringList{"--symbols=GBPUSD,EUR-USD"} + inOut << 1
                                  << QStringList{"EUR-USD-31-Dec-99.txt:2: not a quote line"}
                                  << old;
        QTest::newRow("not a day file name, noted")
            << "" << QByteArray() << QStringList{"--symbols", "GBPUSD"} + inOut << 0
            << QStringList{"notes.txt: not a day file name (SYMBOL-d-mmm-yy.txt), skipped",
                           "!failed.txt"}
            << rows;
        QTest::newRow("time first, no rows: old CSV kept")
            << "GBPUSD" << QByteArray() << QStringList{"--time-first"} + inOut << 1
            << QStringList{"not a quote line \"HH:MM - PRICE\""} << old;
        QTest::newRow("other separator, no rows: old CSV kept")
            << "GBPUSD" << QByteArray() << QStringList{"--sep=,"} + inOut << 1
            << QStringList{"not a quote line \"PRICE,HH:MM\""} << old;
        QTest::newRow("hourly bars")
            << "GBPUSD" << QByteArray() << QStringList{"--bars", "1h"} + inOut << 0
            << QStringList{"GBPUSD-1h.csv: 1 row, 1970-06-05\n"} << old;
        QTest::newRow("-h") << "" << QByteArray() << QStringList{"-h"} << 0
                            << QStringList{"Usage: pellmark-export", "--bars LENGTH"} << old;
        QTest::newRow("-v") << "" << QByteArray() << QStringList{"-v"} << 0
                            << QStringList{"pellmark-export 1."} << old;
        QTest::newRow("--to before the only day: CSV kept")
            << "GBPUSD" << QByteArray() << QStringList{"--to", "1970-06-04"} + inOut << 1
            << QStringList{"no day files up to 1970-06-04 (the days run from 1970-06-05 to "
                           "1970-06-05), nothing to export"}
            << old;
        QTest::newRow("no operands")
            << "" << QByteArray() << QStringList{} << 2
            << QStringList{"pellmark-export: expected FOLDER and OUTDIR"} << old;
        QTest::newRow("no such day")
            << "" << QByteArray() << QStringList{"--from", "2005-02-30"} + inOut << 2
            << QStringList{"--from needs a date YYYY-MM-DD, not '2005-02-30'"} << old;
        QTest::newRow("first nameable day")
            << "GBPUSD" << QByteArray() << QStringList{"--from", "1970-01-01"} + inOut << 0
            << QStringList() << rows;
        QTest::newRow("last nameable day")
            << "GBPUSD" << QByteArray() << QStringList{"--to=2069-12-31"} + inOut << 0
            << QStringList() << rows;
        QTest::newRow("before 1970")
            << "" << QByteArray() << QStringList{"--from", "1969-12-31"} + inOut << 2
            << QStringList{"1969-12-31 is before 1970-01-01"} << old;
        QTest::newRow("after 2069") << "" << QByteArray() << QStringList{"--to=2070-01-01"} + inOut
                                    << 2 << QStringList{"2070-01-01 is after 2069-12-31"} << old;
        QTest::newRow("unknown option") << "" << QByteArray() << QStringList{"--csv"} + inOut << 2
                                        << QStringList{"unknown option '--csv'"} << old;
        QTest::newRow("no value") << "" << QByteArray() << inOut + QStringList{"--sep"} << 2
                                  << QStringList{"option '--sep' needs a value"} << old;
        QTest::newRow("unknown bar length")
            << "" << QByteArray() << QStringList{"--bars=2h"} + inOut << 2
            << QStringList{"--bars needs one of 1min, 5min, 15min, 30min, 1h, 4h, 1d, not '2h'"} << old;
        QTest::newRow("three operands")
            << "" << QByteArray() << inOut + QStringList{"x"} << 2
            << QStringList{"pellmark-export: expected FOLDER and OUTDIR\n"} << old;
        QTest::newRow("reversed range")
            << "" << QByteArray() << QStringList{"--from=2005-06-09", "--to=2005-06-08"} + inOut
            << 2 << QStringList{"pellmark-export: --from is after --to\n"} << old;
        QTest::newRow("no folder") << "" << QByteArray() << QStringList{"@IN/none", "@OUT"} << 2
                                   << QStringList{"is not a folder"} << old;
        QTest::newRow("empty folder")
            << "none" << QByteArray() << inOut << 1
            << QStringList{"no day files (SYMBOL-d-mmm-yy.txt) here, nothing to export"} << old;
        QTest::newRow("no such symbol")
            << "GBPUSD" << QByteArray() << QStringList{"--symbols", "NOPE"} + inOut << 1
            << QStringList{"no day files of NOPE (the folder holds GBPUSD), nothing to export"}
            << old;
        QTest::newRow("no day in the range")
            << "GBPUSD" << QByteArray() << QStringList{"--from", "2030-01-01"} + inOut << 1
            << QStringList{"no day files from 2030-01-01 on (the days run from 1970-06-05 to "
                           "1970-06-05), nothing to export"}
            << old;
        QTest::newRow("one symbol of two")
            << "GBPUSD" << QByteArray() << QStringList{"--symbols", "GBPUSD,NOPE"} + inOut << 1
            << QStringList{"no day files for NOPE"} << rows;
        QTest::newRow("FIFO") << "GBPUSD" << QByteArray("FIFO") << inOut << 1
                              << QStringList{"GBPUSD-6-Jun-05.txt: unreadable: not a regular file"}
                              << rows;
        QTest::newRow("link to /dev/zero")
            << "GBPUSD" << QByteArray("/dev/zero") << inOut << 1
            << QStringList{"GBPUSD-6-Jun-05.txt: unreadable: not a regular file"} << rows;
        QTest::newRow("folder")
            << "GBPUSD" << QByteArray("folder") << inOut << 1
            << QStringList{"GBPUSD-6-Jun-05.txt: unreadable: not a regular file"} << rows;
        QTest::newRow("dangling link")
            << "GBPUSD" << QByteArray("dangling") << inOut << 1
            << QStringList{"GBPUSD-6-Jun-05.txt: unreadable: No such file or directory"} << rows;
        QTest::newRow("17 MB") << "GBPUSD" << QByteArray("17 MB") << inOut << 1
                               << QStringList{"GBPUSD-6-Jun-05.txt: unreadable: larger than 16 MB"}
                               << rows;
        QTest::newRow("16 MB, read")
            << "GBPUSD" << QByteArray("bytes 16777216") << inOut << 1
            << QStringList{"GBPUSD-6-Jun-05.txt:1: not a quote line", "!larger than 16 MB"} << rows;
        QTest::newRow("16 MB and a byte")
            << "GBPUSD" << QByteArray("bytes 16777217") << inOut << 1
            << QStringList{"GBPUSD-6-Jun-05.txt: unreadable: larger than 16 MB",
                           "!GBPUSD-6-Jun-05.txt:1:"}
            << rows;
        QTest::newRow("25 lines time first: ten told, a count, a hint")
            << "GBPUSD" << QByteArray("14:05 - 1.2\r\n").repeated(25) << inOut << 1
            << QStringList{"GBPUSD-6-Jun-05.txt:10: not a quote line", "!GBPUSD-6-Jun-05.txt:11:",
                           "GBPUSD-6-Jun-05.txt: 15 more lines that are not quote lines",
                           "these lines look like TIME then PRICE: try --time-first"}
            << rows;
        QTest::newRow("ten lines with a comma")
            << "none" << QByteArray("1.2,14:05\n").repeated(10) << inOut << 1
            << QStringList{"GBPUSD.csv: not written: these lines look like PRICE then TIME with "
                           "\",\" between: try --sep ','",
                           "!:1: not a quote line"}
            << old;
        QTest::newRow("price first in two files, read as time first")
            << "GBPUSD" << QByteArray("1.2 - 14:05\n").repeated(9)
            << QStringList{"--time-first"} + inOut << 1
            << QStringList{"these lines look like PRICE then TIME: try without --time-first"}
            << old;
        QTest::newRow("nine lines: no hint")
            << "none" << QByteArray("14:05 - 1.2\n").repeated(9) << inOut << 1
            << QStringList{"!these lines look like"} << old;
    }
    void command() {
        QFETCH(QString, files);
        QFETCH(QByteArray, odd);
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QStringList, says);
        QFETCH(QByteArray, gbpUsd);
        QTemporaryDir folder, out;
        WriteFolder(folder.path(), files);
        QFile old(out.filePath("GBPUSD.csv"));
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old\r\n") == 5);
        old.close();
        const QString oddPath = folder.filePath("GBPUSD-6-Jun-05.txt");
        QFile oddFile(oddPath);
        if (odd == "FIFO")
            QCOMPARE(::mkfifo(QFile::encodeName(oddPath).constData(), 0600), 0);
        else if (odd == "/dev/zero")
            QVERIFY(QFile::link("/dev/zero", oddPath));
        else if (odd == "folder")
            QVERIFY(QDir(folder.path()).mkdir("GBPUSD-6-Jun-05.txt"));
        else if (odd == "dangling")
            QVERIFY(QFile::link(folder.filePath("gone"), oddPath));
        else if (odd == "17 MB")
            QVERIFY(oddFile.open(QIODevice::WriteOnly) && oddFile.resize(17 << 20));
        else if (odd.startsWith("bytes "))
            QVERIFY(oddFile.open(QIODevice::WriteOnly) && oddFile.resize(odd.mid(6).toLongLong()));
        else if (!odd.isEmpty())
            QVERIFY(oddFile.open(QIODevice::WriteOnly) && oddFile.write(odd) == odd.size());
        oddFile.close();

        arguments.replaceInStrings("@IN", folder.path()).replaceInStrings("@OUT", out.path());
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(PELLMARK_EXPORT_PATH, arguments);
        QVERIFY(process.waitForFinished(20000));
        const QString output = QString::fromLocal8Bit(process.readAll());
        QCOMPARE(process.exitCode(), status);
        for (const QString& text : says) {
            if (text.startsWith(u'!'))
                QVERIFY2(!output.contains(text.mid(1)), qPrintable(output));
            else
                QVERIFY2(output.contains(text), qPrintable(output));
        }
        QCOMPARE(ReadFile(out.filePath("GBPUSD.csv")), gbpUsd);
    }

    // A full disk while two CSVs are written: each CSV that does not fit is named with the
    // system's reason and keeps its old content, one that fits is whole, and no temporary is
    // left. The disk fills on a real 32 KB tmpfs (room for the small AUDUSD.csv only), or
    // through the shim: no room at all, in the middle of GBPUSD.csv, or at the sync.
    void fullDisk_data() {
        QTest::addColumn<qint64>("room"); // bytes that still fit; -1: a real 32 KB tmpfs
        QTest::addColumn<QStringList>("failed");
        const QStringList both = {"AUDUSD", "GBPUSD"};
        QTest::newRow("32 KB tmpfs") << qint64(-1) << QStringList{"GBPUSD"};
        QTest::newRow("no room") << qint64(0) << both;
        QTest::newRow("cut short") << qint64(5000) << QStringList{"GBPUSD"};
        QTest::newRow("full at the sync") << qint64(40 + 50017) << both;
    }
    void fullDisk() {
        QFETCH(qint64, room);
        QFETCH(QStringList, failed);
        QTemporaryDir folder, out;
        const QList<QPair<QString, QByteArray>> days = {
            {"AUDUSD", "0.75 - 12:00\r\n"},                               // 40 bytes of CSV
            {"GBPUSD", QByteArray("1.2345 - 12:00\r\n").repeated(2000)}}; // 50,017 bytes
        for (const auto& [symbol, bytes] : days) {
            QFile day(folder.filePath(symbol + "-6-Jun-05.txt"));
            QVERIFY(day.open(QIODevice::WriteOnly) && day.write(bytes) == bytes.size());
        }
        const QByteArray mountPoint = QFile::encodeName(out.path());
        if (room < 0 && ::mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=32k") != 0)
            QSKIP(qPrintable("cannot mount a small tmpfs here (needs root): " +
                             QString::fromLocal8Bit(std::strerror(errno))));
        const auto unmount = qScopeGuard([&] {
            if (room < 0)
                ::umount2(mountPoint.constData(), MNT_DETACH);
        });
        for (const auto& [symbol, bytes] : days) {
            QFile old(out.filePath(symbol + ".csv"));
            QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old\r\n") == 5);
        }

        QProcess process;
        if (room >= 0) {
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            PreloadFullDisk(environment, room);
            process.setProcessEnvironment(environment);
        }
        process.start(PELLMARK_EXPORT_PATH, {folder.path(), out.path()});
        QVERIFY(process.waitForFinished());
        QCOMPARE(process.exitCode(), 1);
        QString said;
        for (const QString& symbol : failed)
            said += QStringLiteral("pellmark-export: %1: cannot write: No space left on device\n")
                        .arg(out.filePath(symbol + ".csv"));
        QCOMPARE(QString::fromLocal8Bit(process.readAllStandardError()),
                 said + "pellmark-export: skipped 0 line(s) and 0 file(s)\n");
        QCOMPARE(ReadFile(out.filePath("AUDUSD.csv")),
                 failed.contains("AUDUSD")
                     ? QByteArray("old\r\n")
                     : QByteArray("date,time,price\r\n2005-06-06,12:00,0.75\r\n"));
        QCOMPARE(ReadFile(out.filePath("GBPUSD.csv")), QByteArray("old\r\n"));
        QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{"AUDUSD.csv", "GBPUSD.csv"}));
    }

    // A stop signal while many CSVs are written ends the export with every old CSV as it was (or,
    // when they were already taking their names, every new one) and no temporary left.
    void stopOnSignal_data() {
        QTest::addColumn<int>("signal");
        QTest::addColumn<QString>("name");
        QTest::newRow("SIGHUP") << SIGHUP << "SIGHUP";
        QTest::newRow("SIGINT") << SIGINT << "SIGINT";
        QTest::newRow("SIGTERM") << SIGTERM << "SIGTERM";
    }
    void stopOnSignal() {
        QFETCH(int, signal);
        QFETCH(QString, name);
        QTemporaryDir folder, out;
        constexpr int kSymbols = 3000;
        for (int i = 0; i < kSymbols; ++i) {
            QFile day(
                folder.filePath(QStringLiteral("S%1-6-Jun-05.txt").arg(i, 4, 10, QChar(u'0'))));
            QVERIFY(day.open(QIODevice::WriteOnly) && day.write("1.2 - 12:00\r\n") > 0);
        }
        QProcess process;
        process.start(PELLMARK_EXPORT_PATH, {folder.path(), out.path()});
        QVERIFY(process.waitForStarted());
        const auto files = [&] { return QDir(out.path()).entryList(QDir::Files | QDir::Hidden); };
        QTRY_VERIFY_WITH_TIMEOUT(!files().isEmpty() || process.state() == QProcess::NotRunning,
                                 20000);
        ::kill(static_cast<pid_t>(process.processId()), signal);
        QVERIFY(process.waitForFinished(5000));
        if (process.exitCode() == 0)
            QSKIP("the export was done before the signal came");
        QCOMPARE(process.exitCode(), 128 + signal);
        QVERIFY(QString(process.readAllStandardError()).contains("stopped by " + name));
        const qsizetype csvFiles = QDir(out.path()).entryList({"*.csv"}).size();
        QVERIFY2(csvFiles == 0 || csvFiles == kSymbols, qPrintable(QString::number(csvFiles)));
        QCOMPARE(files().size(), csvFiles);
    }
};

QTEST_GUILESS_MAIN(TestExport)
#include "test_export.moc"
