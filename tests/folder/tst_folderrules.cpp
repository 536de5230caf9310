// The folder's own files and lock, in-process: the market record as people edit it and as a
// run rewrites it, and one update of a folder at a time. The market rules themselves run
// through pellmark-batch on the fake market (tests/tools/batch/tst_batchmarket.cpp).
#include "folder/FolderLock.h"
#include "folder/MarketRecord.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace pellmark;

class TestFolderRules : public QObject {
    Q_OBJECT

private slots:
    // Each edit is "pair|stock SYMBOL", "none ITEM", "-none ITEM" (forgotten) or "part ITEM N".
    void marketRecordKeepsWhatPeopleWrote_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QStringList>("edits");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QStringList>("problems");
        QTest::newRow("a comment and a line not read stay where they were")
            << kMarketRecordFileName << QByteArray("# mine\r\nstok MSFT\r\npair AUDUSD\r\n")
            << QStringList{"stock MSFT", "part MSFT-8-Jun-05 43"}
            << QByteArray("# mine\r\nstok MSFT\r\npair AUDUSD\r\nstock MSFT\r\n"
                          "part MSFT-8-Jun-05 43\r\n")
            << QStringList{"pellmark-market:2: cannot read \"stok MSFT\": kept as it is"};
        QTest::newRow("a form changed, a day forgotten, a month in any case")
            << kMarketRecordFileName
            << QByteArray("# mine\n pair  MSFT \nnone MSFT-8-JUN-05\nnone MSFT-9-Jun-05\n")
            << QStringList{"stock MSFT", "-none MSFT-8-Jun-05"}
            << QByteArray("# mine\r\nnone MSFT-9-Jun-05\r\nstock MSFT\r\n") << QStringList{};
        QTest::newRow("the days of the older file become none lines")
            << kOldNoDataDaysFileName << QByteArray("AUDUSD-8-jun-05\r\nnot a day\r\n")
            << QStringList{} << QByteArray("none AUDUSD-8-Jun-05\r\n") << QStringList{};
    }
    void marketRecordKeepsWhatPeopleWrote() {
        QFETCH(QString, file);
        QFETCH(QByteArray, before);
        QFETCH(QStringList, edits);
        QFETCH(QByteArray, after);
        QFETCH(QStringList, problems);
        QTemporaryDir folder;
        QFile written(folder.filePath(file));
        QVERIFY(written.open(QIODevice::WriteOnly) && written.write(before) == before.size());
        written.close();
        MarketRecord record = MarketRecord::Read(folder.path());
        QStringList told;
        for (const std::string& problem : record.Problems())
            told << QString::fromStdString(problem);
        QCOMPARE(told, problems);
        for (const QString& edit : edits) {
            const std::string word = edit.section(' ', 0, 0).toStdString();
            const std::string what = edit.section(' ', 1, 1).toStdString();
            const DayItem item{edit.section(' ', 1, 1).section('-', 0, 0).toStdString(),
                               edit.section(' ', 1, 1).section('-', 1).toStdString()};
            if (word == "pair" || word == "stock")
                record.SetForm(what, word == "pair" ? SymbolForm::Pair : SymbolForm::Stock);
            else if (word == "part")
                record.SetPart(item, edit.section(' ', 2).toInt());
            else
                record.SetNoData(item, word == "none");
        }
        QVERIFY(record.Changed());
        QVERIFY(record.Write(folder.path()));
        QFile rewritten(folder.filePath(kMarketRecordFileName));
        QVERIFY(rewritten.open(QIODevice::ReadOnly));
        QByteArray text = rewritten.readAll();
        // Without a comment of its own first, the record starts with what its lines mean.
        if (!before.startsWith('#')) {
            QVERIFY2(text.startsWith("# What pellmark-batch learnt"), text);
            while (text.startsWith('#'))
                text = text.mid(text.indexOf('\n') + 1);
        }
        QCOMPARE(text, after);
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{kMarketRecordFileName});
    }

    // Another run's lock, on the same folder by another name, makes the folder busy until that
    // run lets it go; a folder not made yet holds no lock.
    void oneUpdateOfAFolderAtATime() {
        QTemporaryDir folder;
        {
            const FolderLock first(folder.path());
            QVERIFY(!first.Busy());
            QVERIFY(FolderLock(folder.path() + "/../" + QDir(folder.path()).dirName()).Busy());
        }
        QVERIFY(!FolderLock(folder.path()).Busy());
        QVERIFY(!FolderLock(folder.filePath("not made")).Busy());
    }
};

QTEST_GUILESS_MAIN(TestFolderRules)
#include "tst_folderrules.moc"
