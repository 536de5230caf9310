// pellmark-batch run as a script runs it, with no display, against the local quote service:
// a day that fails, the errors file and exit status, --retry, --skip-saved, --csv and SIGINT.
#include "LocalService.h"
#include "ServiceDay.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The real pause before each request stays: no option shortens it.
struct Batch {
    explicit Batch(const LocalService& service) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("DISPLAY");
        environment.remove("WAYLAND_DISPLAY");
        environment.insert("http_proxy", service.proxyUrl());
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(folder.path());
    }
    void start(const QStringList& arguments) { process.start(PELLMARK_BATCH_PATH, arguments); }
    int finish() {
        process.waitForFinished(120000);
        err = process.readAllStandardError();
        out = process.readAllStandardOutput();
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
    int run(const QStringList& arguments) {
        start(arguments);
        return finish();
    }
    QString path(const QString& name) const { return folder.filePath(name); }
    QStringList days() const { return QDir(folder.filePath("days")).entryList(QDir::Files); }

    QTemporaryDir folder;
    QProcess process;
    QByteArray err;
    QByteArray out;
};

const QStringList kTwoPairsOneDay = {"--symbols", "AUDUSD,EURUSD", "--from", "2005-06-08",
                                     "--to",      "2005-06-08",    "--out",  "days"};

} // namespace

class TestBatch : public QObject {
    Q_OBJECT

private slots:
    void failedDayIsListedThenRetried() {
        LocalService failing({"--only", "EURUSD", "--no-data-first", "1000"});
        QVERIFY(failing.start());
        Batch batch(failing);
        QCOMPARE(batch.run(kTwoPairsOneDay + QStringList{"--errors", "failed.txt"}), 1);
        QCOMPARE(batch.days(), QStringList{"AUDUSD-8-Jun-05.txt"});
        QCOMPARE(ReadFile(batch.path("days/AUDUSD-8-Jun-05.txt")),
                 ExpectedDayBytes("frxAUDUSD", "8-Jun-05"));
        QCOMPARE(ReadFile(batch.path("failed.txt")), QByteArray("EURUSD-8-Jun-05\r\n"));
        QVERIFY2(batch.err.contains("AUDUSD 8-Jun-05 saved 288 quotes\n"), batch.err);
        QVERIFY2(batch.err.contains("EURUSD 8-Jun-05 no data after 7 fetches\n"), batch.err);
        QCOMPARE(failing.requestLog().size(), 8);

        LocalService healthy;
        QVERIFY(healthy.start());
        Batch retry(healthy);
        const QStringList resume = {"--retry", batch.path("failed.txt"),
                                    "--out",   batch.path("days"),
                                    "--csv",   batch.path("csv")};
        QCOMPARE(retry.run(resume), 0);
        QCOMPARE(ReadFile(batch.path("failed.txt")), QByteArray());
        QCOMPARE(ReadFile(batch.path("days/EURUSD-8-Jun-05.txt")),
                 ExpectedDayBytes("frxEURUSD", "8-Jun-05"));
        const QList<QByteArray> rows = ReadFile(batch.path("csv/EURUSD.csv")).split('\n');
        QCOMPARE(rows.size(), 290); // header, 288 quotes, and the empty text after the last break
        QCOMPARE(rows[0], QByteArray("date,time,price\r"));
        QVERIFY2(rows[1].startsWith("2005-06-08,00:00,"), rows[1]);

        // Everything is saved now: nothing is asked for again.
        QCOMPARE(
            retry.run(kTwoPairsOneDay + QStringList{"--skip-saved", "--out", batch.path("days")}),
            0);
        QCOMPARE(healthy.requestLog().size(), 1);
        QVERIFY2(retry.err.contains("AUDUSD 8-Jun-05 skipped"), retry.err);
    }

    void interruptedRunListsTheRestAndStopsAtOnce() {
        LocalService service({"--delay-ms", "60000"});
        QVERIFY(service.start());
        Batch batch(service);
        batch.start(kTwoPairsOneDay);
        QTRY_COMPARE_WITH_TIMEOUT(service.requestLog().size(), 1, 10000);
        QElapsedTimer stopping;
        stopping.start();
        ::kill(static_cast<pid_t>(batch.process.processId()), SIGINT);
        QCOMPARE(batch.finish(), 130);
        QVERIFY(stopping.elapsed() < 5000);
        QCOMPARE(batch.out, QByteArray("AUDUSD-8-Jun-05\nEURUSD-8-Jun-05\n"));
        QCOMPARE(batch.days(), QStringList());
    }

    void badInputIsRefusedBeforeAnythingIsFetched_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("reason");
        QTest::newRow("long separator") << QStringList{"--sep", "abcd"} << "more than 3 characters";
        QTest::newRow("impossible date") << QStringList{"--from", "2005-02-30"} << "not a date";
        QTest::newRow("reversed range")
            << QStringList{"--from", "2005-06-08", "--to", "2005-06-07"} << "after the end date";
        QTest::newRow("after today") << QStringList{"--to", "2999-01-01"} << "after today";
        QTest::newRow("out is a file") << QStringList{"--out", "plain"} << "names a file";
        QTest::newRow("unreadable symbols")
            << QStringList{"--symbols-file", "missing.txt"} << "cannot read the symbols file";
        QTest::newRow("unknown option") << QStringList{"--fast"} << "unknown option --fast";
    }
    void badInputIsRefusedBeforeAnythingIsFetched() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, reason);
        LocalService service;
        QVERIFY(service.start());
        Batch batch(service);
        QFile plain(batch.path("plain"));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        QCOMPARE(batch.run(arguments), 2);
        QVERIFY2(batch.err.startsWith("pellmark-batch: ") && batch.err.contains(reason.toUtf8()),
                 batch.err);
        QCOMPARE(service.requestLog().size(), 0);
    }
};

QTEST_GUILESS_MAIN(TestBatch)
#include "tst_batch.moc"
