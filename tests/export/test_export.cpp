// Day-file names and lines read back, the CSV series and bars built from a folder, and what
// pellmark-export tells the user on odd input, a full disk and a signal.
#include "FullDisk.h"

#include "core/DateList.h"
#include "core/DayFileName.h"
#include "core/QuoteLine.h"
#include "export/DayFileExport.h"
#include "export/OhlcBars.h"
#include "export/SqliteDatabase.h"
#include "export/ZoneClock.h"

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
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

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

// Writes each "NAME|TEXT" of files into folder.
void WriteDayFiles(const QString& folder, const QStringList& files) {
    for (const QString& file : files) {
        QFile day(QDir(folder).filePath(file.section(u'|', 0, 0)));
        const QByteArray bytes = file.section(u'|', 1).toUtf8();
        QVERIFY(day.open(QIODevice::WriteOnly) && day.write(bytes) == bytes.size());
    }
}

// The one file an export wrote into folder, by its name.
QString OnlyFile(const QString& folder) {
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    return names.size() == 1 ? names.front() : names.join(u',');
}

// What a program said and how it ended.
struct Run {
    int status = -1;
    QString out;
    QString err;
};

Run RunExport(const QStringList& arguments,
              const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(PELLMARK_EXPORT_PATH, arguments);
    Run run;
    if (process.waitForFinished(60000)) {
        run.status = process.exitCode();
        run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
        run.err = QString::fromLocal8Bit(process.readAllStandardError());
    }
    return run;
}

// What database_rows.py prints; a failure shows in the comparison.
QByteArray RunPython(const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start("python3", QStringList{PELLMARK_DATABASE_ROWS} + arguments);
    return process.waitForFinished(60000) && process.exitCode() == 0
               ? process.readAll()
               : "failed: " + process.readAll();
}

// A day of 288 five-minute quotes and, at noon, a second quote of the same time.
QString FullDay(const QString& symbol) {
    QString text;
    for (int slot = 0; slot < 288; ++slot) {
        const QString price = QString::number(1 + symbol.size() / 10.0 + slot / 10000.0, 'f', 4);
        text += price + " - " + QTime(0, 0).addSecs(slot * 300).toString("HH:mm") + "\r\n";
        if (slot == 144)
            text += "0.5 - 12:00\r\n";
    }
    return text;
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

    // Each layout as its importer reads it, written by hand from the published layouts: two
    // days, the second out of time order with two quotes in one minute.
    void layouts_data() {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<QString>("length"); // empty: quotes
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray metaStock =
            "<TICKER>,<PER>,<DATE>,<TIME>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>\r\n";
        QTest::newRow("csv, quotes") << "csv"
                                     << ""
                                     << "X.csv"
                                     << QByteArray("date,time,price\r\n"
                                                   "2005-06-07,23:59,1.5\r\n"
                                                   "2005-06-08,10:00,10.25\r\n"
                                                   "2005-06-08,10:01,9.5\r\n"
                                                   "2005-06-08,10:01,9.75\r\n"
                                                   "2005-06-08,11:00,10.0\r\n");
        QTest::newRow("csv, 1-minute bars")
            << "csv"
            << "1min"
            << "X-1min.csv"
            << QByteArray("date,time,open,high,low,close,ticks\r\n"
                          "2005-06-07,23:59,1.5,1.5,1.5,1.5,1\r\n"
                          "2005-06-08,10:00,10.25,10.25,10.25,10.25,1\r\n"
                          "2005-06-08,10:01,9.5,9.75,9.5,9.75,2\r\n"
                          "2005-06-08,11:00,10.0,10.0,10.0,10.0,1\r\n");
        QTest::newRow("metatrader, 1-minute bars")
            << "metatrader"
            << "1min"
            << "X-1min.csv"
            << QByteArray("2005.06.07,23:59,1.5,1.5,1.5,1.5,1\r\n"
                          "2005.06.08,10:00,10.25,10.25,10.25,10.25,1\r\n"
                          "2005.06.08,10:01,9.5,9.75,9.5,9.75,2\r\n"
                          "2005.06.08,11:00,10.0,10.0,10.0,10.0,1\r\n");
        QTest::newRow("metatrader, hourly bars")
            << "metatrader"
            << "1h"
            << "X-1h.csv"
            << QByteArray("2005.06.07,23:00,1.5,1.5,1.5,1.5,1\r\n"
                          "2005.06.08,10:00,10.25,10.25,9.5,9.75,3\r\n"
                          "2005.06.08,11:00,10.0,10.0,10.0,10.0,1\r\n");
        QTest::newRow("metatrader, day bars")
            << "metatrader"
            << "1d"
            << "X-1d.csv"
            << QByteArray("2005.06.07,00:00,1.5,1.5,1.5,1.5,1\r\n"
                          "2005.06.08,00:00,10.25,10.25,9.5,10.0,4\r\n");
        QTest::newRow("ninjatrader, quotes") << "ninjatrader"
                                             << ""
                                             << "X.txt"
                                             << QByteArray("20050607 235900;1.5;1\r\n"
                                                           "20050608 100000;10.25;1\r\n"
                                                           "20050608 100100;9.5;1\r\n"
                                                           "20050608 100100;9.75;1\r\n"
                                                           "20050608 110000;10.0;1\r\n");
        QTest::newRow("ninjatrader, 1-minute bars")
            << "ninjatrader"
            << "1min"
            << "X.txt"
            << QByteArray("20050607 235900;1.5;1.5;1.5;1.5;1\r\n"
                          "20050608 100000;10.25;10.25;10.25;10.25;1\r\n"
                          "20050608 100100;9.5;9.75;9.5;9.75;2\r\n"
                          "20050608 110000;10.0;10.0;10.0;10.0;1\r\n");
        QTest::newRow("ninjatrader, day bars") << "ninjatrader"
                                               << "1d"
                                               << "X.txt"
                                               << QByteArray("20050607;1.5;1.5;1.5;1.5;1\r\n"
                                                             "20050608;10.25;10.25;9.5;10.0;4\r\n");
        QTest::newRow("metastock, quotes")
            << "metastock"
            << ""
            << "X.txt"
            << metaStock + "X,0,20050607,235900,1.5,1.5,1.5,1.5,1\r\n"
                           "X,0,20050608,100000,10.25,10.25,10.25,10.25,1\r\n"
                           "X,0,20050608,100100,9.5,9.5,9.5,9.5,1\r\n"
                           "X,0,20050608,100100,9.75,9.75,9.75,9.75,1\r\n"
                           "X,0,20050608,110000,10.0,10.0,10.0,10.0,1\r\n";
        QTest::newRow("metastock, hourly bars")
            << "metastock"
            << "1h"
            << "X-1h.txt"
            << metaStock + "X,60,20050607,230000,1.5,1.5,1.5,1.5,1\r\n"
                           "X,60,20050608,100000,10.25,10.25,9.5,9.75,3\r\n"
                           "X,60,20050608,110000,10.0,10.0,10.0,10.0,1\r\n";
        QTest::newRow("metastock, day bars")
            << "metastock"
            << "1d"
            << "X-1d.txt"
            << metaStock + "X,D,20050607,000000,1.5,1.5,1.5,1.5,1\r\n"
                           "X,D,20050608,000000,10.25,10.25,9.5,10.0,4\r\n";
    }
    void layouts() {
        QFETCH(QString, layout);
        QFETCH(QString, length);
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        QTemporaryDir folder, out;
        WriteDayFiles(
            folder.path(),
            {"X-7-Jun-05.txt|1.5 - 23:59\r\n",
             "X-8-Jun-05.txt|9.5 - 10:01\r\n10.25 - 10:00\r\n9.75 - 10:01\r\n10.0 - 11:00\r\n"});
        ExportOptions options;
        options.folder = folder.path();
        options.outDir = out.path();
        options.layout = FindLayout(layout);
        QVERIFY(options.layout != nullptr);
        options.barMinutes = ParseBarLength(length).value_or(0);
        const ExportReport report = ExportDayFiles(options);
        QVERIFY(report.problems.empty());
        QCOMPARE(OnlyFile(out.path()), file);
        QCOMPARE(ReadFile(out.filePath(file)), bytes);
    }

    // Times on a zone's clock across both 2026 changes of daylight saving in Berlin and in
    // New York, and days cut at the zone's midnight; quotes are written in the order they
    // came, so the autumn hour that happens twice shows its times twice.
    void zones_data() {
        QTest::addColumn<QString>("zone");
        QTest::addColumn<QString>("length"); // empty: quotes
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QByteArray>("csv");
        const QByteArray quotes = "date,time,price\r\n";
        const QByteArray bars = "date,time,open,high,low,close,ticks\r\n";
        const QStringList around = {
            "X-DAY.txt|1.1 - 00:30\r\n1.2 - 00:59\r\n1.3 - 01:00\r\n1.4 - 01:30\r\n"};
        const QStringList spring = QStringList(around).replaceInStrings("DAY", "29-Mar-26");
        const QStringList autumn = QStringList(around).replaceInStrings("DAY", "25-Oct-26");
        QTest::newRow("Berlin, spring: 02:00 CET is 03:00 CEST")
            << "Europe/Berlin"
            << "" << spring
            << quotes + "2026-03-29,01:30,1.1\r\n2026-03-29,01:59,1.2\r\n"
                        "2026-03-29,03:00,1.3\r\n2026-03-29,03:30,1.4\r\n";
        QTest::newRow("Berlin, spring, hourly bars: none at 02:00")
            << "Europe/Berlin"
            << "1h" << spring
            << bars + "2026-03-29,01:00,1.1,1.2,1.1,1.2,2\r\n"
                      "2026-03-29,03:00,1.3,1.4,1.3,1.4,2\r\n";
        QTest::newRow("Berlin, autumn: 03:00 CEST is 02:00 CET, in the order they came")
            << "Europe/Berlin"
            << "" << autumn
            << quotes + "2026-10-25,02:30,1.1\r\n2026-10-25,02:59,1.2\r\n"
                        "2026-10-25,02:00,1.3\r\n2026-10-25,02:30,1.4\r\n";
        QTest::newRow("Berlin, autumn, hourly bars: one bar holds both passes")
            << "Europe/Berlin"
            << "1h" << autumn << bars + "2026-10-25,02:00,1.1,1.4,1.1,1.4,4\r\n";
        QTest::newRow("Berlin, autumn, minute bars: the hour comes twice")
            << "Europe/Berlin"
            << "1min" << autumn
            << bars +
                   "2026-10-25,02:30,1.1,1.1,1.1,1.1,1\r\n2026-10-25,02:59,1.2,1.2,1.2,1.2,1\r\n"
                   "2026-10-25,02:00,1.3,1.3,1.3,1.3,1\r\n2026-10-25,02:30,1.4,1.4,1.4,1.4,1\r\n";
        QTest::newRow("New York, spring: 02:00 EST is 03:00 EDT")
            << "America/New_York"
            << "" << QStringList{"X-8-Mar-26.txt|1.1 - 06:30\r\n1.2 - 07:00\r\n"}
            << quotes + "2026-03-08,01:30,1.1\r\n2026-03-08,03:00,1.2\r\n";
        QTest::newRow("New York, autumn: 01:30 twice")
            << "America/New_York"
            << "" << QStringList{"X-1-Nov-26.txt|1.1 - 05:30\r\n1.2 - 06:30\r\n"}
            << quotes + "2026-11-01,01:30,1.1\r\n2026-11-01,01:30,1.2\r\n";
        QTest::newRow("New York, autumn, hourly bars")
            << "America/New_York"
            << "1h" << QStringList{"X-1-Nov-26.txt|1.1 - 05:30\r\n1.2 - 06:30\r\n"}
            << bars + "2026-11-01,01:00,1.1,1.2,1.1,1.2,2\r\n";
        const QStringList december = {"X-1-Dec-26.txt|1.1 - 22:30\r\n1.2 - 23:30\r\n",
                                      "X-2-Dec-26.txt|1.3 - 00:00\r\n"};
        QTest::newRow("Berlin: 23:30 GMT on 1 Dec is 2 Dec 00:30")
            << "Europe/Berlin"
            << "" << december
            << quotes + "2026-12-01,23:30,1.1\r\n2026-12-02,00:30,1.2\r\n2026-12-02,01:00,1.3\r\n";
        QTest::newRow("Berlin: day bars cut at its midnight")
            << "Europe/Berlin"
            << "1d" << december
            << bars +
                   "2026-12-01,00:00,1.1,1.1,1.1,1.1,1\r\n2026-12-02,00:00,1.2,1.3,1.2,1.3,2\r\n";
        QTest::newRow("New York: the same quotes make one day bar")
            << "America/New_York"
            << "1d" << december << bars + "2026-12-01,00:00,1.1,1.3,1.1,1.3,3\r\n";
        QTest::newRow("a fixed offset, two hours ahead")
            << "Etc/GMT-2"
            << "" << december
            << quotes + "2026-12-02,00:30,1.1\r\n2026-12-02,01:30,1.2\r\n2026-12-02,02:00,1.3\r\n";
        QTest::newRow("GMT, as without a zone")
            << "UTC"
            << "1d" << december
            << bars +
                   "2026-12-01,00:00,1.1,1.2,1.1,1.2,2\r\n2026-12-02,00:00,1.3,1.3,1.3,1.3,1\r\n";
    }
    void zones() {
        QFETCH(QString, zone);
        QFETCH(QString, length);
        QFETCH(QStringList, files);
        QFETCH(QByteArray, csv);
        QTemporaryDir folder, out;
        WriteDayFiles(folder.path(), files);
        ExportOptions options;
        options.folder = folder.path();
        options.outDir = out.path();
        options.barMinutes = ParseBarLength(length).value_or(0);
        const std::optional<ZoneClock> clock = ZoneClock::Named(zone);
        QVERIFY(clock);
        options.zone = *clock;
        QVERIFY(ExportDayFiles(options).problems.empty());
        QCOMPARE(ReadFile(out.filePath(length.isEmpty() ? "X.csv" : "X-" + length + ".csv")), csv);
    }

    // A running day, today or saved before it ended, is named on the file's line; bars leave
    // it out unless asked. Files of 7 and 8 Dec 2026, saved at the times given (GMT).
    void runningDays_data() {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QDateTime>("savedSeventh");
        QTest::addColumn<QString>("length");
        QTest::addColumn<bool>("withRunningDay");
        QTest::addColumn<QString>("said");
        QTest::addColumn<QByteArray>("csv");
        const QDateTime afterSeventh(QDate(2026, 12, 8), QTime(9, 0), Qt::UTC);
        const QByteArray bars = "date,time,open,high,low,close,ticks\r\n";
        QTest::newRow("quotes: written, the day named")
            << QDate(2026, 12, 8) << afterSeventh << "" << false
            << "X.csv: 3 rows, 2026-12-07 to 2026-12-08; the last day, 8-Dec-26, is still running"
            << QByteArray("date,time,price\r\n2026-12-07,10:00,1.1\r\n2026-12-08,10:00,1.2\r\n"
                          "2026-12-08,11:00,1.3\r\n");
        QTest::newRow("bars: the running day left out")
            << QDate(2026, 12, 8) << afterSeventh << "1h" << false
            << "X-1h.csv: 1 row, 2026-12-07; the last day, 8-Dec-26, is still running: its bars "
               "are left out (--with-running-day writes them)"
            << bars + "2026-12-07,10:00,1.1,1.1,1.1,1.1,1\r\n";
        QTest::newRow("bars with the running day, when asked")
            << QDate(2026, 12, 8) << afterSeventh << "1h" << true
            << "X-1h.csv: 3 rows, 2026-12-07 to 2026-12-08; the last day, 8-Dec-26, is still "
               "running: its bars hold the quotes so far"
            << bars + "2026-12-07,10:00,1.1,1.1,1.1,1.1,1\r\n2026-12-08,10:00,1.2,1.2,1.2,1.2,1\r\n"
                      "2026-12-08,11:00,1.3,1.3,1.3,1.3,1\r\n";
        QTest::newRow("saved while it ran, two days later")
            << QDate(2026, 12, 10) << afterSeventh << "1d" << false
            << "X-1d.csv: 1 row, 2026-12-07; the last day, 8-Dec-26, is still running: its bars "
               "are left out (--with-running-day writes them)"
            << bars + "2026-12-07,00:00,1.1,1.1,1.1,1.1,1\r\n";
        QTest::newRow("two days saved while they ran")
            << QDate(2026, 12, 8) << QDateTime(QDate(2026, 12, 7), QTime(12, 0), Qt::UTC) << "1d"
            << false
            << "X-1d.csv: 0 rows; the days 7-Dec-26 and 8-Dec-26 are still running: their bars "
               "are left out (--with-running-day writes them)"
            << bars;
        QTest::newRow("a copy dated before its day is whole")
            << QDate(2026, 12, 9) << QDateTime(QDate(2026, 12, 6), QTime(12, 0), Qt::UTC) << "1d"
            << false
            << "X-1d.csv: 1 row, 2026-12-07; the last day, 8-Dec-26, is still running: its bars "
               "are left out (--with-running-day writes them)"
            << bars + "2026-12-07,00:00,1.1,1.1,1.1,1.1,1\r\n";
    }
    void runningDays() {
        QFETCH(QDate, today);
        QFETCH(QDateTime, savedSeventh);
        QFETCH(QString, length);
        QFETCH(bool, withRunningDay);
        QFETCH(QString, said);
        QFETCH(QByteArray, csv);
        QTemporaryDir folder, out;
        WriteDayFiles(folder.path(), {"X-7-Dec-26.txt|1.1 - 10:00\r\n",
                                      "X-8-Dec-26.txt|1.2 - 10:00\r\n1.3 - 11:00\r\n"});
        for (const auto& [name, saved] :
             {std::pair{"X-7-Dec-26.txt", savedSeventh},
              std::pair{"X-8-Dec-26.txt", QDateTime(QDate(2026, 12, 8), QTime(11, 5), Qt::UTC)}}) {
            QFile file(folder.filePath(name));
            QVERIFY(file.open(QIODevice::ReadWrite) &&
                    file.setFileTime(saved, QFileDevice::FileModificationTime));
        }
        ExportOptions options;
        options.folder = folder.path();
        options.outDir = out.path();
        options.today = today;
        options.barMinutes = ParseBarLength(length).value_or(0);
        options.withRunningDay = withRunningDay;
        const ExportReport report = ExportDayFiles(options);
        QVERIFY(report.problems.empty());
        QCOMPARE(report.written.size(), std::size_t(1));
        QCOMPARE(WrittenText(report.written.front()).remove(out.path() + "/"), said);
        QCOMPARE(ReadFile(out.filePath(length.isEmpty() ? "X.csv" : "X-" + length + ".csv")), csv);
    }

    // Today's day file, by the real clock, is named as running and left out of bars.
    void runningDayByTheClock() {
        QTemporaryDir folder, out;
        const QDate today = QDateTime::currentDateTimeUtc().date();
        const QString label = QString::fromStdString(DateLabel(today));
        const QString yesterday = QString::fromStdString(DateLabel(today.addDays(-1)));
        WriteDayFiles(folder.path(), {"X-" + yesterday + ".txt|1.1 - 10:00\r\n",
                                      "X-" + label + ".txt|1.2 - 00:00\r\n"});
        QFile whole(folder.filePath("X-" + yesterday + ".txt"));
        QVERIFY(whole.open(QIODevice::ReadWrite) &&
                whole.setFileTime(QDateTime(today, QTime(0, 0), Qt::UTC),
                                  QFileDevice::FileModificationTime));
        const Run run = RunExport({"--bars", "1h", folder.path(), out.path()});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, out.filePath("X-1h.csv") + ": 1 row, " +
                              today.addDays(-1).toString(Qt::ISODate) + "; the last day, " + label +
                              ", is still running: its bars are left out (--with-running-day "
                              "writes them)\n");
        QCOMPARE(ReadFile(out.filePath("X-1h.csv")),
                 "date,time,open,high,low,close,ticks\r\n" +
                     today.addDays(-1).toString(Qt::ISODate).toUtf8() +
                     ",10:00,1.1,1.1,1.1,1.1,1\r\n");
    }

    // The database read back with Python's sqlite3 holds the quotes and bars of the CSV
    // export of the same folder; a second export after one new day per symbol writes that
    // day alone and leaves every other row as it was.
    void databaseRoundTrip() {
        QTemporaryDir folder, out;
        const QString database = out.filePath("p.db"), csv = out.filePath("csv");
        for (const QString& symbol : QStringList{"AUDUSD", "EURUSD"})
            for (const char* day : {"6-Jun-05", "7-Jun-05", "8-Jun-05"})
                WriteDayFiles(folder.path(), {symbol + "-" + day + ".txt|" + FullDay(symbol)});
        Run run = RunExport({"--sqlite", database, "--bars", "1h", folder.path()});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, database +
                              ": AUDUSD: 3 days written, 867 quotes and 72 bars; 3 days "
                              "held, 2005-06-06 to 2005-06-08\n" +
                              database +
                              ": EURUSD: 3 days written, 867 quotes and 72 bars; 3 days "
                              "held, 2005-06-06 to 2005-06-08\n");
        QCOMPARE(RunExport({folder.path(), csv}).status, 0);
        QCOMPARE(RunExport({"--bars", "1h", folder.path(), csv}).status, 0);
        QCOMPARE(RunPython({"compare", database, csv, "60"}),
                 QByteArray("2 symbols compared, 0 differences\n"));
        const QByteArray before = RunPython({"dump", database});

        for (const QString& symbol : QStringList{"AUDUSD", "EURUSD"})
            WriteDayFiles(folder.path(), {symbol + "-9-Jun-05.txt|" + FullDay(symbol)});
        run = RunExport({"--sqlite", database, folder.path()});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, database +
                              ": AUDUSD: 1 day written, 289 quotes and 24 bars; 4 days held, "
                              "2005-06-06 to 2005-06-09\n" +
                              database +
                              ": EURUSD: 1 day written, 289 quotes and 24 bars; 4 days "
                              "held, 2005-06-06 to 2005-06-09\n");
        const QByteArray after = RunPython({"dump", database});
        const QByteArrayList beforeLines = before.split('\n'), afterLines = after.split('\n');
        QByteArrayList added;
        for (const QByteArray& line : afterLines)
            if (!beforeLines.contains(line))
                added << line;
        QCOMPARE(added.size(), 2 * (289 + 24 + 1));
        // 9 Jun 2005 runs from 1118275200 to 1118361599 seconds since 1970.
        for (const QByteArray& line : added) {
            const QByteArrayList fields = line.split('|');
            const bool ninth = fields[0] == "quote" ? fields[2].toLongLong() >= 1118275200 &&
                                                          fields[2].toLongLong() <= 1118361599
                               : fields[0] == "bar" ? fields[3] == "2005-06-09"
                                                    : fields[2] == "2005-06-09";
            QVERIFY2(ninth, line);
        }
        for (const QByteArray& line : beforeLines)
            QVERIFY2(afterLines.contains(line), line);
        QCOMPARE(RunExport({folder.path(), csv}).status, 0);
        QCOMPARE(RunExport({"--bars", "1h", folder.path(), csv}).status, 0);
        QCOMPARE(RunPython({"compare", database, csv, "60"}),
                 QByteArray("2 symbols compared, 0 differences\n"));
        // Nothing changed: nothing read, nothing written.
        run = RunExport({"--sqlite", database, folder.path()});
        QVERIFY2(run.out.contains("AUDUSD: up to date; 4 days held"), qPrintable(run.out));
        QCOMPARE(RunPython({"dump", database}), after);
    }

    // A database that cannot be written is told, the exit status is 1, and the file at its
    // name is left byte for byte as it was.
    void databaseRefused_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QStringList>("more"); // options of the second export
        QTest::addColumn<QString>("said");
        QTest::newRow("not a SQLite database")
            << "notes" << QStringList() << "p.db: not a SQLite database: left as it is\n";
        QTest::newRow("a link at its name")
            << "link" << QStringList() << "p.db: cannot write: not a regular file: left as it is\n";
        QTest::newRow("being written by another program")
            << "locked" << QStringList()
            << "p.db: another program is writing to it: left as it is; try again once it is "
               "done\n";
        QTest::newRow("the times of another zone")
            << "export" << QStringList{"--tz", "Europe/Berlin"}
            << "p.db: holds the times of GMT: give no --tz, or another database file: left as "
               "it is\n";
        QTest::newRow("a database of another program")
            << "other" << QStringList()
            << "p.db: a SQLite database of another program: left as it is\n";
    }
    void databaseRefused() {
        QFETCH(QString, kind);
        QFETCH(QStringList, more);
        QFETCH(QString, said);
        QTemporaryDir folder, out;
        const QString database = out.filePath("p.db");
        WriteDayFiles(folder.path(), {"AUDUSD-6-Jun-05.txt|" + FullDay("AUDUSD")});
        std::optional<SqliteDatabase> holder;
        if (kind == "notes") {
            WriteDayFiles(out.path(), {"p.db|these are notes\n"});
        } else if (kind == "link") {
            WriteDayFiles(out.path(), {"kept.txt|kept\n"});
            QVERIFY(QFile::link(out.filePath("kept.txt"), database));
        } else if (kind == "other") {
            Result<SqliteDatabase> opened = SqliteDatabase::Open(database);
            QVERIFY(opened && (*opened).Execute("CREATE TABLE notes(text TEXT)"));
        } else {
            QCOMPARE(RunExport({"--sqlite", database, folder.path()}).status, 0);
        }
        // Read before the lock is taken: closing any file of the database drops this process's
        // locks on it.
        const QByteArray bytes = ReadFile(kind == "link" ? out.filePath("kept.txt") : database);
        if (kind == "locked") {
            Result<SqliteDatabase> opened = SqliteDatabase::Open(database);
            QVERIFY(opened && (*opened).Execute("BEGIN IMMEDIATE"));
            holder.emplace(std::move(*opened));
        }
        WriteDayFiles(folder.path(), {"AUDUSD-7-Jun-05.txt|" + FullDay("AUDUSD")});
        const Run run = RunExport(more + QStringList{"--sqlite", database, folder.path()});
        QCOMPARE(run.status, 1);
        QCOMPARE(run.out, QString());
        QVERIFY2(run.err.startsWith("pellmark-export: " + out.path() + "/" + said),
                 qPrintable(run.err));
        QCOMPARE(ReadFile(kind == "link" ? out.filePath("kept.txt") : database), bytes);
        QVERIFY(!QFile::exists(database + "-journal"));
    }

    // A full disk while the database is written leaves it as it was: Python reads back the
    // rows of the export before. A new database is removed.
    void databaseFullDisk_data() {
        QTest::addColumn<qint64>("room");
        QTest::addColumn<bool>("existing");
        QTest::newRow("no room") << qint64(0) << true;
        QTest::newRow("full in the middle") << qint64(60000) << true;
        QTest::newRow("full later on") << qint64(200000) << true;
        QTest::newRow("a new database") << qint64(60000) << false;
    }
    void databaseFullDisk() {
        QFETCH(qint64, room);
        QFETCH(bool, existing);
        QTemporaryDir folder, out;
        const QString database = out.filePath("p.db");
        WriteDayFiles(folder.path(), {"AUDUSD-6-Jun-05.txt|" + FullDay("AUDUSD")});
        if (existing)
            QCOMPARE(RunExport({"--sqlite", database, "--bars", "1h", folder.path()}).status, 0);
        const QByteArray before = existing ? RunPython({"dump", database}) : QByteArray();
        for (int day = 7; day <= 30; ++day)
            WriteDayFiles(folder.path(),
                          {QStringLiteral("EURUSD-%1-Jun-05.txt|").arg(day) + FullDay("EURUSD")});
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        PreloadFullDisk(environment, room);
        const Run run =
            RunExport({"--sqlite", database, "--bars", "1h", folder.path()}, environment);
        QCOMPARE(run.status, 1);
        QCOMPARE(run.out, QString());
        QVERIFY2(run.err.startsWith("pellmark-export: " + database +
                                    ": cannot write: No space left on device: left as it was\n"),
                 qPrintable(run.err));
        if (!existing) {
            QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
            return;
        }
        QCOMPARE(RunPython({"dump", database}), before);
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
            << QStringList{"--bars needs one of 1min, 5min, 15min, 30min, 1h, 4h, 1d, not '2h'"}
            << old;
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
        QTest::newRow("a name that is not UTF-8: told, exit 1")
            << "GBPUSD" << QByteArray("non-UTF-8 name") << inOut << 1
            << QStringList{"GBP\\xffUSD-6-Jun-05.txt: not read: its name is not valid UTF-8",
                           "GBPUSD.csv: 1 row, 1970-06-05\n"}
            << rows;
        QTest::newRow("metastock layout")
            << "GBPUSD" << QByteArray() << QStringList{"--layout", "metastock"} + inOut << 0
            << QStringList{"GBPUSD.txt: 1 row, 1970-06-05\n"} << old;
        QTest::newRow("unknown layout: the list")
            << "" << QByteArray() << QStringList{"--layout=mt4"} + inOut << 2
            << QStringList{"--layout needs one of csv, metatrader, ninjatrader, metastock, not "
                           "'mt4'\n"}
            << old;
        QTest::newRow("MetaTrader takes bars only")
            << "" << QByteArray() << QStringList{"--layout", "metatrader"} + inOut << 2
            << QStringList{"--layout metatrader writes bars only (MetaTrader's history import "
                           "reads no quotes): add --bars LENGTH, such as --bars 1min\n"}
            << old;
        QTest::newRow("NinjaTrader takes no hourly bars")
            << "" << QByteArray() << QStringList{"--layout", "ninjatrader", "--bars", "1h"} + inOut
            << 2
            << QStringList{"--layout ninjatrader takes quotes, --bars 1min or --bars 1d "
                           "(NinjaTrader's import reads no other bars), not --bars 1h\n"}
            << old;
        QTest::newRow("unknown zone: the one meant")
            << "" << QByteArray() << QStringList{"--tz", "america/new_york"} + inOut << 2
            << QStringList{"unknown time zone 'america/new_york': did you mean America/New_York?\n"}
            << old;
        QTest::newRow("unknown zone: a hint")
            << "" << QByteArray() << QStringList{"--tz", "Mars/Olympus"} + inOut << 2
            << QStringList{"unknown time zone 'Mars/Olympus': give an IANA name such as "
                           "Europe/Berlin or America/New_York, or a fixed offset such as "
                           "Etc/GMT-2\n"}
            << old;
        QTest::newRow("running days without bars")
            << "" << QByteArray() << QStringList{"--with-running-day"} + inOut << 2
            << QStringList{"--with-running-day goes with --bars"} << old;
        QTest::newRow("a database and OUTDIR")
            << "" << QByteArray() << QStringList{"--sqlite", "@OUT/p.db"} + inOut << 2
            << QStringList{"expected FOLDER alone with --sqlite FILE\n"} << old;
        QTest::newRow("a database and a layout")
            << "" << QByteArray()
            << QStringList{"--sqlite", "@OUT/p.db", "--layout", "metastock", "@IN"} << 2
            << QStringList{"--layout chooses text files: leave it out with --sqlite\n"} << old;
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
        // Qt cannot name it to remove it.
        const QByteArray oddName = QFile::encodeName(folder.path()) + "/GBP\xffUSD-6-Jun-05.txt";
        const auto removeOdd = qScopeGuard([&] { ::unlink(oddName.constData()); });
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
        else if (odd == "non-UTF-8 name")
            QVERIFY(::close(::creat(oddName.constData(), 0600)) == 0);
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
        QTest::addColumn<bool>("database"); // into a new database: none is left
        QTest::newRow("SIGHUP") << SIGHUP << "SIGHUP" << false;
        QTest::newRow("SIGINT") << SIGINT << "SIGINT" << false;
        QTest::newRow("SIGTERM") << SIGTERM << "SIGTERM" << false;
        QTest::newRow("SIGTERM, into a database") << SIGTERM << "SIGTERM" << true;
    }
    void stopOnSignal() {
        QFETCH(int, signal);
        QFETCH(QString, name);
        QFETCH(bool, database);
        QTemporaryDir folder, out;
        constexpr int kSymbols = 3000;
        for (int i = 0; i < kSymbols; ++i) {
            QFile day(
                folder.filePath(QStringLiteral("S%1-6-Jun-05.txt").arg(i, 4, 10, QChar(u'0'))));
            QVERIFY(day.open(QIODevice::WriteOnly) && day.write("1.2 - 12:00\r\n") > 0);
        }
        QProcess process;
        process.start(PELLMARK_EXPORT_PATH,
                      database ? QStringList{"--sqlite", out.filePath("p.db"), folder.path()}
                               : QStringList{folder.path(), out.path()});
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
        if (database) {
            QCOMPARE(files(), QStringList());
            return;
        }
        const qsizetype csvFiles = QDir(out.path()).entryList({"*.csv"}).size();
        QVERIFY2(csvFiles == 0 || csvFiles == kSymbols, qPrintable(QString::number(csvFiles)));
        QCOMPARE(files().size(), csvFiles);
    }
};

QTEST_GUILESS_MAIN(TestExport)
#include "test_export.moc"
