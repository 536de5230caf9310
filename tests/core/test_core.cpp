// Date labels and lists, day files, the errors-list text rules, the service's running day, and
// whole files written in pieces.
#include "core/DateList.h"
#include "core/DayFile.h"
#include "core/ErrorsList.h"
#include "core/ServiceDay.h"
#include "core/WholeFileStream.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace pellmark;
using Labels = std::vector<std::string>;

class TestCore : public QObject {
    Q_OBJECT

private slots:
    void dateLabel_data() {
        QTest::addColumn<QDate>("day");
        QTest::addColumn<QString>("label");
        QTest::newRow("single-digit day") << QDate(2005, 6, 5) << "5-Jun-05";
        QTest::newRow("two-digit day") << QDate(2005, 12, 12) << "12-Dec-05";
        QTest::newRow("year 2000") << QDate(2000, 1, 31) << "31-Jan-00";
        QTest::newRow("year 2026") << QDate(2026, 9, 1) << "1-Sep-26";
    }
    void dateLabel() {
        QFETCH(QDate, day);
        QFETCH(QString, label);
        QCOMPARE(QString::fromStdString(DateLabel(day)), label);
    }

    void monthNamesIgnoreTheLocale() {
        const QLocale saved;
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
        const std::string label = DateLabel(QDate(2005, 6, 5));
        QLocale::setDefault(saved);
        QCOMPARE(label, std::string("5-Jun-05"));
    }

    void weekdayList_data() {
        QTest::addColumn<QDate>("start");
        QTest::addColumn<QDate>("end");
        QTest::addColumn<QStringList>("labels");
        const QDate wednesday(2005, 6, 8);
        QTest::newRow("same week-day") << wednesday << wednesday << QStringList{"8-Jun-05"};
        QTest::newRow("weekend only") << QDate(2005, 6, 4) << QDate(2005, 6, 5) << QStringList{};
        QTest::newRow("friday to monday")
            << QDate(2005, 6, 3) << QDate(2005, 6, 6) << QStringList{"6-Jun-05", "3-Jun-05"};
        QTest::newRow("reversed") << QDate(2005, 6, 6) << QDate(2005, 6, 3) << QStringList{};
        QTest::newRow("across a year") << QDate(2004, 12, 30) << QDate(2005, 1, 3)
                                       << QStringList{"3-Jan-05", "31-Dec-04", "30-Dec-04"};
    }
    void weekdayList() {
        QFETCH(QDate, start);
        QFETCH(QDate, end);
        QFETCH(QStringList, labels);
        QStringList got;
        for (const auto& label : WeekdayLabelsNewestFirst(start, end))
            got << QString::fromStdString(label);
        QCOMPARE(got, labels);
    }

    void dayFileIsWrittenWithCrLfAndReplaced() {
        QTemporaryDir dir;
        const std::string folder = dir.path().toStdString() + "/";
        QVERIFY(SaveDayFile(folder, "AUDUSD", "5-Jun-05", {"old"}));
        QVERIFY(SaveDayFile(folder, "AUDUSD", "5-Jun-05", {"1.2345 - 00:05", "1.2350 - 00:10"}));
        // Dots inside a name keep it inside the folder.
        QVERIFY(SaveDayFile(folder, "..", "5-Jun-05", {"x"}));
        QFile file(dir.filePath("AUDUSD-5-Jun-05.txt"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("1.2345 - 00:05\r\n1.2350 - 00:10\r\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList({"..-5-Jun-05.txt", "AUDUSD-5-Jun-05.txt"}));
        struct stat info {};
        QCOMPARE(::stat(file.fileName().toLocal8Bit().constData(), &info), 0);
        QVERIFY(info.st_mode & S_IRGRP);
    }

    // Pieces of every size around the writer's buffer (1 MiB) keep their order: piece i is
    // its size in letter 'a' + i.
    void wholeFileInPieces_data() {
        QTest::addColumn<QList<int>>("sizes");
        constexpr int kBuffer = 1 << 20;
        QTest::newRow("nothing") << QList<int>{};
        QTest::newRow("one under the buffer") << QList<int>{kBuffer - 1, 1};
        QTest::newRow("a byte, then the buffer") << QList<int>{1, kBuffer};
        QTest::newRow("one over the buffer") << QList<int>{kBuffer + 1, 2};
        QTest::newRow("around the buffer")
            << QList<int>{kBuffer - 1, 2, kBuffer, 0, 3, 2 * kBuffer};
    }
    void wholeFileInPieces() {
        QFETCH(QList<int>, sizes);
        QTemporaryDir dir;
        WholeFileStream stream(dir.filePath("report.html"));
        QByteArray whole;
        for (qsizetype i = 0; i < sizes.size(); ++i) {
            stream.Write(std::string(std::size_t(sizes[i]), char('a' + i)));
            whole += QByteArray(sizes[i], char('a' + i));
        }
        QVERIFY(stream.Commit());
        QFile file(dir.filePath("report.html"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll() == whole);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    void dayFileRefusals_data() {
        QTest::addColumn<QString>("folderSuffix");
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing folder") << "missing/"
                                        << "AUDUSD"
                                        << "No such file or directory";
        QTest::newRow("slash in symbol") << ""
                                         << "../AUDUSD"
                                         << "cannot name a file";
        QTest::newRow("nested slash") << ""
                                      << "a/b"
                                      << "cannot name a file";
    }
    void dayFileRefusals() {
        QFETCH(QString, folderSuffix);
        QFETCH(QString, symbol);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("inside"));
        const std::string folder =
            dir.path().toStdString() + "/inside/" + folderSuffix.toStdString();
        const Done saved = SaveDayFile(folder, symbol.toStdString(), "5-Jun-05", {"x"});
        QVERIFY2(!saved, "the file was written");
        QVERIFY2(QString::fromStdString(saved.reason()).contains(reason), saved.reason().c_str());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 0);
        QCOMPARE(QDir(dir.filePath("inside")).entryList(QDir::Files | QDir::Hidden).size(), 0);
    }

    void folderThatIsAFileFails() {
        QTemporaryDir dir;
        QFile plain(dir.filePath("plain"));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        const Done saved =
            SaveDayFile(plain.fileName().toStdString() + "/", "A", "5-Jun-05", {"x"});
        QVERIFY2(!saved, "the file was written");
        QCOMPARE(saved.reason(), std::string("Not a directory"));
    }

    void failedItemParsing_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<QString>("dateLabel");
        QTest::newRow("pair") << "AUDUSD-5-Jun-05"
                              << "AUDUSD"
                              << "5-Jun-05";
        QTest::newRow("empty symbol") << "-5-Jun-05"
                                      << ""
                                      << "5-Jun-05";
        QTest::newRow("no hyphen") << "garbage"
                                   << ""
                                   << "garbage";
        QTest::newRow("empty line") << ""
                                    << ""
                                    << "";
        QTest::newRow("hyphenated symbol") << "BRK-B-10-Jun-05"
                                           << "BRK-B"
                                           << "10-Jun-05";
        QTest::newRow("month in lower case") << "BRK-B-6-jun-05"
                                             << "BRK-B"
                                             << "6-jun-05";
        QTest::newRow("two hyphens, one-digit day") << "A-B-C-5-Jun-05"
                                                    << "A-B-C"
                                                    << "5-Jun-05";
        // Not a label: the first hyphen splits as always.
        QTest::newRow("day 32") << "BRK-B-32-Jun-05"
                                << "BRK"
                                << "B-32-Jun-05";
        QTest::newRow("leading zero") << "BRK-B-05-Jun-05"
                                      << "BRK"
                                      << "B-05-Jun-05";
        QTest::newRow("unknown month") << "BRK-B-5-Jün-05"
                                       << "BRK"
                                       << "B-5-Jün-05";
        QTest::newRow("label alone") << "5-Jun-05"
                                     << "5"
                                     << "Jun-05";
    }
    void failedItemParsing() {
        QFETCH(QString, line);
        QFETCH(QString, symbol);
        QFETCH(QString, dateLabel);
        const DayItem item = ParseFailedItem(line.toStdString());
        QCOMPARE(QString::fromStdString(item.symbol), symbol);
        QCOMPARE(QString::fromStdString(item.dateLabel), dateLabel);
    }

    void appendingFailedItems_data() {
        QTest::addColumn<QString>("memo");
        QTest::addColumn<QString>("after");
        QTest::newRow("empty memo") << ""
                                    << "A-5-Jun-05\r\n";
        QTest::newRow("ends with a break") << "X-1-Jun-05\r\n"
                                           << "X-1-Jun-05\r\nA-5-Jun-05\r\n";
        QTest::newRow("typed line without break") << "typed"
                                                  << "typed\r\nA-5-Jun-05";
    }
    void appendingFailedItems() {
        QFETCH(QString, memo);
        QFETCH(QString, after);
        QCOMPARE(memo + QString::fromStdString(
                            AppendedFailedItemText(memo.toStdString(), {"A", "5-Jun-05"})),
                 after);
    }

    // At 8 Dec 2026 00:30 GMT (Tokyo's morning, New York's evening): a day is running while it
    // has not ended in GMT, or when its file was last written before it ended there.
    void runningDay_data() {
        QTest::addColumn<QDate>("day");
        QTest::addColumn<QDateTime>("written"); // invalid: no file
        QTest::addColumn<bool>("running");
        const QDateTime midnight(QDate(2026, 12, 8), QTime(0, 0), Qt::UTC);
        QTest::newRow("today") << QDate(2026, 12, 8) << QDateTime() << true;
        QTest::newRow("yesterday, no file") << QDate(2026, 12, 7) << QDateTime() << false;
        QTest::newRow("saved a second before its end")
            << QDate(2026, 12, 7) << midnight.addSecs(-1) << true;
        QTest::newRow("saved at its end") << QDate(2026, 12, 7) << midnight << false;
        QTest::newRow("saved before it began, a copy's zeroed time")
            << QDate(2026, 12, 7) << QDateTime(QDate(1970, 1, 1), QTime(0, 0), Qt::UTC) << false;
    }
    void runningDay() {
        QFETCH(QDate, day);
        QFETCH(QDateTime, written);
        QFETCH(bool, running);
        const ServiceClock clock =
            ServiceClock::At(QDateTime(QDate(2026, 12, 8), QTime(0, 30), Qt::UTC));
        QCOMPARE(clock.Today(), QDate(2026, 12, 8));
        QTemporaryDir dir;
        const QString path = dir.filePath("day.txt");
        if (written.isValid()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(file.setFileTime(written, QFileDevice::FileModificationTime));
        }
        QCOMPARE(clock.Running(day, written.isValid() ? path : QString()), running);
        // A file saved now is dated by the clock, whatever the machine's says.
        if (written.isValid()) {
            clock.DateSaved(path);
            QCOMPARE(QFileInfo(path).lastModified().toUTC(), clock.Now());
        }
    }

    void warningKeepsTheMemoAsItStands() {
        const std::string head =
            "The Following Currency Pair/Date were not downloaded because of VORN "
            "server either not answering or returning an empty file:\r\n\r\n";
        const std::string tail = "Please make note of it and redownload the missing Dates later.";
        QCOMPARE(FailedItemsWarning("A-5-Jun-05\r\n"), head + "A-5-Jun-05\r\n\r\n\r\n" + tail);
        QCOMPARE(FailedItemsWarning("typed"), head + "typed\r\n\r\n" + tail);
    }
};

QTEST_GUILESS_MAIN(TestCore)
#include "test_core.moc"
