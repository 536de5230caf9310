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
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<QDate>("day"); // invalid: not a day file
        QTest::newRow("plain") << "AUDUSD-5-Jun-05.txt"
                               << "AUDUSD" << QDate(2005, 6, 5);
        QTest::newRow("hyphens in symbol") << "EUR-USD-12-Dec-69.txt"
                                           << "EUR-USD" << QDate(2069, 12, 12);
        QTest::newRow("year 70") << "DJI-1-Jan-70.txt"
                                 << "DJI" << QDate(1970, 1, 1);
        QTest::newRow("leap day") << "X-29-Feb-00.txt"
                                  << "X" << QDate(2000, 2, 29);
        QTest::newRow("no such day") << "X-29-Feb-01.txt"
                                     << "" << QDate();
        QTest::newRow("leading zero") << "X-05-Jun-05.txt"
                                      << "" << QDate();
        QTest::newRow("month case") << "X-5-JUN-05.txt"
                                    << "" << QDate();
        QTest::newRow("four-digit year") << "X-5-Jun-2005.txt"
                                         << "" << QDate();
        QTest::newRow("empty symbol") << "-5-Jun-05.txt"
                                      << "" << QDate();
        QTest::newRow("no symbol field") << "5-Jun-05.txt"
                                         << "" << QDate();
        QTest::newRow("other suffix") << "X-5-Jun-05.csv"
                                      << "" << QDate();
    }
    void dayFileName() {
        QFETCH(QString, name);
        QFETCH(QString, symbol);
        QFETCH(QDate, day);
        const std::optional<DayFileName> parsed = ParseDayFileName(name);
        QCOMPARE(parsed.has_value(), day.isValid());
        if (parsed) {
            QCOMPARE(parsed->symbol, symbol);
            QCOMPARE(parsed->day, day);
        }
    }

    void quoteLine_data() {
        QTest::addColumn<bool>("timeFirst");
        QTest::addColumn<QByteArray>("separator");
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("time"); // empty: not a quote line
        QTest::addColumn<QByteArray>("price");
        QTest::newRow("default") << false << QByteArray(" - ") << QByteArray("1.2345 - 14:05")
                                 << QByteArray("14:05") << QByteArray("1.2345");
        QTest::newRow("time first") << true << QByteArray(" - ") << QByteArray("14:05 - 108.4")
                                    << QByteArray("14:05") << QByteArray("108.4");
        QTest::newRow("hyphen") << false << QByteArray("-") << QByteArray("25-09:30")
                                << QByteArray("09:30") << QByteArray("25");
        QTest::newRow("colon, price first") << false << QByteArray(":") << QByteArray("1.5:00:00")
                                            << QByteArray("00:00") << QByteArray("1.5");
        QTest::newRow("colon, time first") << true << QByteArray(":") << QByteArray("23:59:1.5")
                                           << QByteArray("23:59") << QByteArray("1.5");
        QTest::newRow("no separator") << true << QByteArray() << QByteArray("00:051.2345")
                                      << QByteArray("00:05") << QByteArray("1.2345");
        QTest::newRow("wrong order") << false << QByteArray(" - ") << QByteArray("14:05 - 1.2345")
                                     << QByteArray() << QByteArray();
        QTest::newRow("wrong separator") << false << QByteArray(" - ") << QByteArray("1.2345,14:05")
                                         << QByteArray() << QByteArray();
        QTest::newRow("hour 24") << false << QByteArray(" - ") << QByteArray("1.2 - 24:00")
                                 << QByteArray() << QByteArray();
        QTest::newRow("bad price") << false << QByteArray(" - ") << QByteArray("1.2. - 14:05")
                                   << QByteArray() << QByteArray();
        QTest::newRow("no price") << false << QByteArray(" - ") << QByteArray(" - 14:05")
                                  << QByteArray() << QByteArray();
        QTest::newRow("service's empty record")
            << false << QByteArray(" - ") << QByteArray(" - :") << QByteArray() << QByteArray();
    }
    void quoteLine() {
        QFETCH(bool, timeFirst);
        QFETCH(QByteArray, separator);
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, time);
        QFETCH(QByteArray, price);
        const std::string text = line.toStdString(); // the quote views into it
        const std::optional<Quote> quote =
            SplitQuoteLine(text, timeFirst ? LineOrder::TimeFirst : LineOrder::PriceFirst,
                           separator.toStdString());
        QCOMPARE(quote.has_value(), !time.isEmpty());
        if (quote) {
            QCOMPARE(QByteArray::fromStdString(std::string(quote->time)), time);
            QCOMPARE(QByteArray::fromStdString(std::string(quote->price)), price);
        }
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
