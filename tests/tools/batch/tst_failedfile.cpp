// The errors file as pellmark-batch writes it: items appended in the errors-list form, and a
// retry file rewritten with what still fails and what other runs appended meanwhile.
#include "core/ErrorsList.h"
#include "FailedItemsFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace pellmark;

class TestFailedFile : public QObject {
    Q_OBJECT

private slots:
    void itemsOnePerLine_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<int>("linesRead"); // by the retry that rewrites the file; -1: append
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QByteArray>("after");
        const auto row = [](const char* name, const char* before, int linesRead,
                            const QStringList& items, const char* after) {
            QTest::newRow(name) << QByteArray(before) << linesRead << items << QByteArray(after);
        };
        const QStringList two = {"A-7-Jun-05", "A-6-Jun-05"};
        const QStringList one = two.mid(0, 1);
        row("append two", "", -1, two, "A-7-Jun-05\r\nA-6-Jun-05\r\n");
        row("append after a whole line", "B-8-Jun-05\r\n", -1, two,
            "B-8-Jun-05\r\nA-7-Jun-05\r\nA-6-Jun-05\r\n");
        row("append after a line without a break", "B-8-Jun-05", -1, one,
            "B-8-Jun-05\r\nA-7-Jun-05\r\n");
        row("append after a line ended by LF", "B-8-Jun-05\n", -1, one,
            "B-8-Jun-05\nA-7-Jun-05\r\n");
        row("rewrite, some still fail", "A-7-Jun-05\nB-7-Jun-05\nA-6-Jun-05", 3, two,
            "A-7-Jun-05\r\nA-6-Jun-05\r\n");
        row("rewrite, all saved, another run appended", "A-7-Jun-05\r\nD-6-Jun-05\r\n", 1, {},
            "D-6-Jun-05\r\n");
        row("rewrite, the run appended to its own file", "A-7-Jun-05\r\nA-7-Jun-05\r\n", 1, one,
            "A-7-Jun-05\r\n");
    }
    void itemsOnePerLine() {
        QFETCH(QByteArray, before);
        QFETCH(int, linesRead);
        QFETCH(QStringList, items);
        QFETCH(QByteArray, after);
        QTemporaryDir dir;
        QFile file(dir.filePath("failed.txt"));
        if (!before.isEmpty()) {
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(before);
            file.close();
        }
        std::vector<DayItem> days;
        for (const QString& item : items)
            days.push_back(ParseFailedItem(item.toStdString()));
        const Done written = linesRead < 0 ? AppendFailedItems(file.fileName(), days)
                                           : RewriteFailedItems(file.fileName(), linesRead, days);
        QVERIFY2(written, written ? "" : written.reason().c_str());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), after);
    }
};

QTEST_GUILESS_MAIN(TestFailedFile)
#include "tst_failedfile.moc"
