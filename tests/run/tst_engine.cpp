// The run engine with a scripted fetcher: order, outcomes, failed items, stop, progress
// with time left, skipping saved days, and a day file that cannot be written.
#include "FakeDayFetcher.h"
#include "run/PlainAsking.h"
#include "run/RunEngine.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace pellmark;

namespace {

struct ScriptedRun {
    ScriptedRun()
        : engine(
              fetcher, asking, [this] { return folder; }, [this] { return fetcher.now; }) {
        QObject::connect(&engine, &RunEngine::itemDone, [this](std::size_t, const DayResult& r) {
            days << QString::fromStdString(r.item.symbol + "-" + r.item.dateLabel + " " +
                                           DescribeDay(r));
        });
        QObject::connect(&engine, &RunEngine::progress, [this](const RunProgress& p) {
            progress << QString::fromStdString(DescribeProgress(p));
        });
        QObject::connect(&engine, &RunEngine::ended, [this](const RunEnd& end) { ends << end; });
    }
    void run(DayItems items, RunOptions options = {}) {
        engine.Start(std::move(items), options);
        QTRY_COMPARE(ends.size(), 1);
    }
    static QStringList Names(const std::vector<DayItem>& items) {
        QStringList names;
        for (const DayItem& item : items)
            names << QString::fromStdString(item.symbol + "-" + item.dateLabel);
        return names;
    }
    QStringList files() const { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden); }

    QTemporaryDir dir;
    std::string folder = dir.path().toStdString() + "/";
    FakeDayFetcher fetcher;
    PlainAsking asking{[] { return Category::Forex; }};
    RunEngine engine;
    QStringList days;
    QStringList progress;
    QList<RunEnd> ends;
};

DayItems TwoByTwo() {
    return DayItems::EveryDateOfEachSymbol({"A", "B"}, {"7-Jun-05", "6-Jun-05"});
}

} // namespace

class TestEngine : public QObject {
    Q_OBJECT

private slots:
    void outcomesAndFailedItemsInRunOrder() {
        ScriptedRun rig;
        rig.fetcher.script["A-6-Jun-05"] = {{}, 7};
        FetchResult refused{{}, 7, FetchFailure::Refused};
        rig.fetcher.script["B-7-Jun-05"] = refused;
        rig.fetcher.script["B-6-Jun-05"] = {{true, {"1.1 - 00:05", "1.2 - 00:10"}}, 2};
        rig.run(TwoByTwo());
        QCOMPARE(rig.fetcher.requests,
                 QStringList({"A-7-Jun-05", "A-6-Jun-05", "B-7-Jun-05", "B-6-Jun-05"}));
        QCOMPARE(
            rig.days,
            QStringList({"A-7-Jun-05 saved 1 quote", "A-6-Jun-05 no data after 7 fetches",
                         "B-7-Jun-05 failed: connection refused", "B-6-Jun-05 saved 2 quotes"}));
        QCOMPARE(rig.ends[0].how, RunEnd::How::Finished);
        QCOMPARE(ScriptedRun::Names(rig.ends[0].failed), QStringList({"A-6-Jun-05", "B-7-Jun-05"}));
        QVERIFY(rig.ends[0].notDone.empty());
        QCOMPARE(rig.files(), QStringList({"A-7-Jun-05.txt", "B-6-Jun-05.txt"}));
        QFile saved(rig.dir.filePath("B-6-Jun-05.txt"));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), QByteArray("1.1 - 00:05\r\n1.2 - 00:10\r\n"));
    }

    void progressCountsDaysAndEstimatesTheRest() {
        ScriptedRun rig;
        rig.run(DayItems::EveryDateOfEachSymbol({"A", "B", "C"}, {"8-Jun-05", "7-Jun-05"}));
        // Twenty seconds a day: after the first day five are left, 100 s.
        QCOMPARE(
            rig.progress,
            QStringList({"1 of 6 days, about 2 min left", "2 of 6 days, about 2 min left",
                         "3 of 6 days, about 1 min left", "4 of 6 days, less than a minute left",
                         "5 of 6 days, less than a minute left", "6 of 6 days"}));
    }

    void stopListsTheDayInHandAndTheRest() {
        ScriptedRun rig;
        QObject::connect(&rig.engine, &RunEngine::itemStarting,
                         [&](std::size_t index, const DayItem&) {
                             if (index == 2)
                                 QTimer::singleShot(0, &rig.engine, &RunEngine::Stop);
                         });
        rig.fetcher.script["A-6-Jun-05"] = {{}, 7};
        rig.run(TwoByTwo());
        QCOMPARE(rig.ends[0].how, RunEnd::How::Stopped);
        QCOMPARE(ScriptedRun::Names(rig.ends[0].failed), QStringList{"A-6-Jun-05"});
        QCOMPARE(ScriptedRun::Names(rig.ends[0].notDone),
                 QStringList({"B-7-Jun-05", "B-6-Jun-05"}));
        QTest::qWait(20);
        QCOMPARE(rig.fetcher.requests.size(), 3);
        QCOMPARE(rig.ends.size(), 1);
    }

    void skipSavedFetchesOnlyMissingDays() {
        ScriptedRun rig;
        QFile existing(rig.dir.filePath("A-6-Jun-05.txt"));
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.write("kept\r\n");
        existing.close();
        // An empty file, as a tool that missed a full disk leaves, is no saved day.
        QFile empty(rig.dir.filePath("B-7-Jun-05.txt"));
        QVERIFY(empty.open(QIODevice::WriteOnly));
        empty.close();
        rig.run(TwoByTwo(), {.skipSaved = true});
        QCOMPARE(rig.fetcher.requests, QStringList({"A-7-Jun-05", "B-7-Jun-05", "B-6-Jun-05"}));
        QVERIFY(rig.days.contains("A-6-Jun-05 skipped, already saved"));
        QVERIFY(existing.open(QIODevice::ReadOnly));
        QCOMPARE(existing.readAll(), QByteArray("kept\r\n"));
    }

    void unwritableDayEndsTheRunWithItAndTheRestNotDone() {
        ScriptedRun rig;
        rig.folder = rig.dir.filePath("missing/").toStdString();
        rig.run(TwoByTwo());
        QCOMPARE(rig.ends[0].how, RunEnd::How::Abandoned);
        QVERIFY(
            QString::fromStdString(rig.ends[0].error)
                .startsWith("Cannot create file \"" + rig.dir.filePath("missing/A-7-Jun-05.txt")));
        QCOMPARE(ScriptedRun::Names(rig.ends[0].notDone),
                 QStringList({"A-7-Jun-05", "A-6-Jun-05", "B-7-Jun-05", "B-6-Jun-05"}));
        QCOMPARE(rig.fetcher.requests.size(), 1);
    }

    void frontFailingToRecordADayKeepsItNotDone() {
        ScriptedRun rig;
        QObject::connect(&rig.engine, &RunEngine::itemDone,
                         [&](std::size_t index, const DayResult&) {
                             if (index == 1)
                                 rig.engine.Abandon("out of memory");
                         });
        rig.run(TwoByTwo());
        QCOMPARE(rig.ends[0].how, RunEnd::How::Abandoned);
        QCOMPARE(rig.ends[0].error, std::string("out of memory"));
        QCOMPARE(ScriptedRun::Names(rig.ends[0].notDone),
                 QStringList({"A-6-Jun-05", "B-7-Jun-05", "B-6-Jun-05"}));
    }
};

QTEST_GUILESS_MAIN(TestEngine)
#include "tst_engine.moc"
