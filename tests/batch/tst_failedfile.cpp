// The errors file as pellmark-batch writes it: items appended in the errors-list form, and a
// retry file rewritten with what still fails and what other runs appended meanwhile.
#include "core/FailedItems.h"
#include "FailedItemsFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace pellmark;

namespace {

std::vector<DayItem> Items(const QStringList& lines) {
    std::vector<DayItem> items;
    for (const QString& line : lines)
        items.push_back(ParseFailedItem(line.toStdString()));
    return items;
}

} // namespace

class TestFailedFile : public QObject {
    Q_OBJECT

private slots:
    void appendAddsOneLinePerItem_data() {
        QTest::addColumn<QByteArray>("before"); // "-": no file
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("no file, two days")
            << QByteArray("-") << QStringList{"A-7-Jun-05", "A-6-Jun-05"}
            << QByteArray("A-7-Jun-05\r\nA-6-Jun-05\r\n");
        QTest::newRow("after a whole line")
            << QByteArray("B-8-Jun-05\r\n") << QStringList{"A-7-Jun-05", "A-6-Jun-05"}
            << QByteArray("B-8-Jun-05\r\nA-7-Jun-05\r\nA-6-Jun-05\r\n");
        QTest::newRow("after a line without a break")
            << QByteArray("B-8-Jun-05") << QStringList{"A-7-Jun-05"}
            << QByteArray("B-8-Jun-05\r\nA-7-Jun-05\r\n");
        QTest::newRow("after a line ended by LF")
            << QByteArray("B-8-Jun-05\n") << QStringList{"A-7-Jun-05"}
            << QByteArray("B-8-Jun-05\nA-7-Jun-05\r\n");
    }
    void appendAddsOneLinePerItem() {
        QFETCH(QByteArray, before);
        QFETCH(QStringList, items);
        QFETCH(QByteArray, after);
        QTemporaryDir dir;
        const QString path = dir.filePath("failed.txt");
        QFile file(path);
        if (before != "-") {
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(before);
            file.close();
        }
        QString error;
        QVERIFY2(AppendFailedItems(path, Items(items), error), qPrintable(error));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), after);
    }

    void rewriteKeepsWhatStillFails_data() {
        QTest::addColumn<QByteArray>("read"); // what the retry took its items from
        QTest::addColumn<QByteArray>("appended");
        QTest::addColumn<QStringList>("stillFailing");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("some still fail") << QByteArray("A-7-Jun-05\nB-7-Jun-05\nC-7-Jun-05")
                                         << QByteArray() << QStringList{"A-7-Jun-05", "C-7-Jun-05"}
                                         << QByteArray("A-7-Jun-05\r\nC-7-Jun-05\r\n");
        QTest::newRow("all saved, another run appended")
            << QByteArray("A-7-Jun-05\r\n") << QByteArray("D-6-Jun-05\r\n") << QStringList{}
            << QByteArray("D-6-Jun-05\r\n");
        QTest::newRow("the run appended to its own retry file")
            << QByteArray("A-7-Jun-05\r\n") << QByteArray("A-7-Jun-05\r\n")
            << QStringList{"A-7-Jun-05"} << QByteArray("A-7-Jun-05\r\n");
    }
    void rewriteKeepsWhatStillFails() {
        QFETCH(QByteArray, read);
        QFETCH(QByteArray, appended);
        QFETCH(QStringList, stillFailing);
        QFETCH(QByteArray, after);
        QTemporaryDir dir;
        const QString path = dir.filePath("failed.txt");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(read + appended);
        file.close();
        const std::size_t linesRead = read.count('\n') + !read.endsWith('\n');
        QString error;
        QVERIFY2(RewriteFailedItems(path, linesRead, Items(stillFailing), error),
                 qPrintable(error));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), after);
    }
};

QTEST_GUILESS_MAIN(TestFailedFile)
#include "tst_failedfile.moc"
