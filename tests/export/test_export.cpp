// Day-file names and lines read back, the CSV series built from a folder, and the exit
// status of pellmark-export.
#include "export/DayFileExport.h"
#include "export/DayFileName.h"
#include "export/QuoteLine.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

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
        QTest::addColumn<QByteArray>("eurUsd");
        QTest::addColumn<QByteArray>("gbpUsd");
        QTest::addColumn<QStringList>("problems");
        QTest::newRow("everything")
            << QStringList() << QDate()
            << QByteArray(
                   "date,time,price\r\n1999-12-31,23:55,0.9900\r\n1999-12-31,23:55,0.9800\r\n"
                   "2000-01-03,00:05,1.0090\r\n2000-01-03,00:10,1.0100\r\n"
                   "2005-02-28,09:00,1.2900\r\n2005-03-01,09:00,1.3000\r\n")
            << QByteArray("date,time,price\r\n1970-06-05,12:00,1.8\r\n")
            << QStringList{"notes.txt: not a day file name (SYMBOL-d-mmm-yy.txt)",
                           "EUR-USD-31-Dec-99.txt:2: not a quote line \"PRICE - HH:MM\""};
        QTest::newRow("one symbol from 2005")
            << QStringList{"EUR-USD", "EURUSD"} << QDate(2005, 1, 1)
            << QByteArray(
                   "date,time,price\r\n2005-02-28,09:00,1.2900\r\n2005-03-01,09:00,1.3000\r\n")
            << QByteArray("(absent)")
            << QStringList{"notes.txt: not a day file name (SYMBOL-d-mmm-yy.txt)"};
    }
    void exportFolder() {
        QFETCH(QStringList, symbols);
        QFETCH(QDate, from);
        QFETCH(QByteArray, eurUsd);
        QFETCH(QByteArray, gbpUsd);
        QFETCH(QStringList, problems);
        QTemporaryDir folder, out;
        WriteFolder(folder.path());
        QFile old(out.filePath("EUR-USD.csv"));
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old\r\n") == 5);
        old.close();

        const ExportReport report = ExportDayFiles(
            {folder.path(), out.path(), LineOrder::PriceFirst, " - ", symbols, from, {}});
        QStringList got;
        for (const ExportProblem& problem : report.problems)
            got << ProblemText(problem).remove(folder.path() + "/");
        QCOMPARE(got, problems);
        QCOMPARE(ReadFile(out.filePath("EUR-USD.csv")), eurUsd);
        QCOMPARE(ReadFile(out.filePath("GBPUSD.csv")), gbpUsd);
        QCOMPARE(report.symbolsWithoutDayFiles, symbols.mid(1));
    }

    void exitStatus_data() {
        QTest::addColumn<QString>("files");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::newRow("clean") << "GBPUSD" << QStringList{"@IN", "@OUT"} << 0;
        QTest::newRow("bad line") << "EUR" << QStringList{"--symbols=GBPUSD,EUR-USD", "@IN", "@OUT"}
                                  << 1;
        QTest::newRow("bad name") << "" << QStringList{"--symbols", "GBPUSD", "@IN", "@OUT"} << 1;
        QTest::newRow("time first") << "GBPUSD" << QStringList{"--time-first", "@IN", "@OUT"} << 1;
        QTest::newRow("other separator") << "GBPUSD" << QStringList{"--sep=,", "@IN", "@OUT"} << 1;
        QTest::newRow("no operands") << "" << QStringList{} << 2;
        QTest::newRow("no such day")
            << "" << QStringList{"--from", "2005-02-30", "@IN", "@OUT"} << 2;
        QTest::newRow("unknown option") << "" << QStringList{"--csv", "@IN", "@OUT"} << 2;
        QTest::newRow("no folder") << "" << QStringList{"@IN/none", "@OUT"} << 2;
    }
    void exitStatus() {
        QFETCH(QString, files);
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QTemporaryDir folder, out;
        WriteFolder(folder.path(), files);
        arguments.replaceInStrings("@IN", folder.path()).replaceInStrings("@OUT", out.path());
        QProcess process;
        process.start(PELLMARK_EXPORT_PATH, arguments);
        QVERIFY(process.waitForFinished());
        QCOMPARE(process.exitCode(), status);
    }
};

QTEST_GUILESS_MAIN(TestExport)
#include "test_export.moc"
