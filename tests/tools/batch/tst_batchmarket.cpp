// pellmark-batch keeping a folder in-process, on the local service's market played behind the
// fetcher seam with no pause: the market cases of MarketRows.h with the check and the next
// night, and the form and tries each request goes out with.
#include "BatchInProcess.h"
#include "check/CoverageText.h"
#include "check/FolderCheck.h"
#include "FakeMarket.h"
#include "folder/ServiceDays.h"
#include "MarketRows.h"
#include "ServiceDayRows.h"

#include <QRegularExpression>

using namespace pellmark;

namespace {

// Day files of the service's quotes, each "STK d-mmm-yy", in the folder days.
void WriteDays(const BatchFolder& batch, const QStringList& files) {
    QVERIFY(QDir(batch.folder.path()).mkpath("days"));
    for (const QString& file : files) {
        const QString stk = file.section(' ', 0, 0);
        const QString label = file.section(' ', 1);
        WriteFile(batch.path("days/" + QString(stk).remove("frx") + "-" + label + ".txt"),
                  ExpectedDayBytes(stk.toStdString(), label));
    }
}

// What pellmark-check says of the folder, with its defaults: its exit status and retry list.
std::pair<int, QByteArray> Check(const QString& folder, const QDateTime& now) {
    CheckOptions options;
    options.folder = folder;
    const MarketRecord record = MarketRecord::Read(folder);
    Result<std::vector<SymbolCoverage>> symbols = CheckFolder(options, ServiceClock::At(now));
    if (!symbols)
        return {-1, {}};
    bool complete = !symbols->empty();
    QByteArray retry;
    for (SymbolCoverage& symbol : *symbols) {
        MarkServiceDays(symbol, record);
        complete = complete && AllComplete(symbol);
        retry += QByteArray::fromStdString(RetryItems(symbol));
    }
    return {complete ? 0 : 1, retry};
}

} // namespace

class TestBatchMarket : public QObject {
    Q_OBJECT

private slots:
    void folderMarketIsLearntOnce_data() { AddMarketRows(); }
    void folderMarketIsLearntOnce() {
        QFETCH(QStringList, service);
        QFETCH(QStringList, files);
        QFETCH(QByteArray, record);
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(int, requests);
        QFETCH(QStringList, told);
        QFETCH(QByteArray, listed);
        QFETCH(QStringList, recordAfter);
        QFETCH(int, checkStatus);
        QFETCH(int, nextNight);
        FakeMarket market(service);
        QVERIFY2(market.error.isEmpty(), qPrintable(market.error));
        BatchInProcess batch(&market);
        WriteDays(batch, files);
        if (!record.isEmpty())
            WriteFile(batch.path("days/pellmark-market"), record);
        const QStringList nightly = {"--update", batch.path("days"), "--heal", "--errors",
                                     batch.path("failed.txt")};
        QCOMPARE(batch.run(nightly + arguments + QStringList{"--to", "2005-06-10"}), status);
        QCOMPARE(market.pages, requests);
        for (const QString& line : told)
            QVERIFY2(batch.err.count(line.toUtf8() + "\n") == 1, batch.err);
        QCOMPARE(ReadFile(batch.path("failed.txt")), listed);
        QStringList kept = QString::fromUtf8(ReadFile(batch.path("days/pellmark-market")))
                               .split("\r\n", Qt::SkipEmptyParts)
                               .filter(QRegularExpression("^[^#]"));
        QCOMPARE(kept, recordAfter);
        const auto [checked, retry] = Check(batch.path("days"), batch.now);
        QCOMPARE(checked, checkStatus);
        QCOMPARE(retry, checkStatus == 0 ? QByteArray() : listed);

        QCOMPARE(batch.run(nightly + QStringList{"--to", "2005-06-13"}), 0);
        QCOMPARE(market.pages, requests + nextNight);
    }

    // The rows of ServiceDayRows.h that need no time zone: the clock is the service's now.
    void updateFollowsTheServiceDay_data() { AddServiceDayRows(false); }
    void updateFollowsTheServiceDay() {
        QFETCH(QStringList, nights);
        QFETCH(QStringList, seeded);
        QFETCH(QStringList, options);
        QFETCH(int, status);
        QFETCH(QString, said);
        QFETCH(QStringList, files);
        QFETCH(int, requests);
        BatchInProcess batch(nullptr);
        SeedDays(batch, seeded);
        options.replaceInStrings(QRegularExpression("^days/"), batch.path("days/"));
        int asked = 0;
        for (const QString& night : nights) {
            FakeMarket market({"--now", night.section('|', 1)});
            batch.through = &market;
            batch.now = QDateTime::fromString(night.section('|', 1) + "Z", Qt::ISODate);
            QCOMPARE(batch.run(QStringList{"--update", batch.path("days")} + options), status);
            asked += market.pages;
        }
        QVERIFY2((batch.err + batch.out).contains(said.toUtf8()), batch.err + batch.out);
        QCOMPARE(FilesAndLines(batch), files);
        QCOMPARE(asked, requests);
    }

    // Each request as it goes out, "STK d-mmm-yy TRIES", for an update to 10 Jun 2005 from
    // files of 8 Jun: a day nothing is known of has every try, one that others of its form
    // have two, one that others of its form lack one; a symbol of unknown form that misses a
    // day others have is asked once in the other form, and its missed day again by the heal.
    void eachDayGoesOutInItsFormWithItsTries_data() {
        QTest::addColumn<QStringList>("service");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QByteArray>("record");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("asked");
        QTest::newRow("pairs") << QStringList{}
                               << QStringList{"frxAUDUSD 8-Jun-05", "frxEURUSD 8-Jun-05"}
                               << QByteArray() << QStringList{}
                               << QStringList{"frxAUDUSD 10-Jun-05 7", "frxEURUSD 10-Jun-05 2",
                                              "frxAUDUSD 9-Jun-05 7", "frxEURUSD 9-Jun-05 2"};
        QTest::newRow("a stock the window saved")
            << QStringList{} << QStringList{"frxAUDUSD 8-Jun-05", "USAMSFT 8-Jun-05"}
            << QByteArray() << QStringList{"--heal"}
            << QStringList{"frxAUDUSD 10-Jun-05 7", "frxUSAMSFT 10-Jun-05 2",
                           "frxAUDUSD 9-Jun-05 7", "USAMSFT 9-Jun-05 1", "USAMSFT 10-Jun-05 7"};
        QTest::newRow("holiday of the stocks")
            << QStringList{"--stock-holidays", "10-Jun-05"}
            << QStringList{"USAMSFT 8-Jun-05", "USAINTC 8-Jun-05"}
            << QByteArray("stock USAINTC\r\nstock USAMSFT\r\n") << QStringList{"--stocks"}
            << QStringList{"USAINTC 10-Jun-05 7", "USAMSFT 10-Jun-05 1", "USAINTC 9-Jun-05 7",
                           "USAMSFT 9-Jun-05 2"};
        QTest::newRow("a recorded holiday, --heal-again")
            << QStringList{"--pair-holidays", "10-Jun-05"} << QStringList{"frxAUDUSD 8-Jun-05"}
            << QByteArray("pair AUDUSD\r\nnone AUDUSD-10-Jun-05\r\n")
            << QStringList{"--heal", "--heal-again"}
            << QStringList{"frxAUDUSD 10-Jun-05 7", "frxAUDUSD 9-Jun-05 7"};
    }
    void eachDayGoesOutInItsFormWithItsTries() {
        QFETCH(QStringList, service);
        QFETCH(QStringList, files);
        QFETCH(QByteArray, record);
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, asked);
        FakeMarket market(service);
        BatchInProcess batch(&market);
        WriteDays(batch, files);
        WriteFile(batch.path("days/pellmark-market"), record);
        batch.run(QStringList{"--update", batch.path("days"), "--to", "2005-06-10"} + arguments);
        QCOMPARE(market.asked, asked);
    }
};

QTEST_GUILESS_MAIN(TestBatchMarket)
#include "tst_batchmarket.moc"
