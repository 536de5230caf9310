// pellmark-batch run as a script runs it, with no display, against the local quote service:
// a day that fails, the errors file and exit status, --retry, --skip-saved, --csv, SIGINT,
// a full disk and an errors file shared with another run.
#include "FullDisk.h"
#include "LocalService.h"
#include "ServiceDay.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/file.h>
#include <sys/mount.h>

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
    void fillDiskAfter(qint64 room) {
        QProcessEnvironment environment = process.processEnvironment();
        PreloadFullDisk(environment, room);
        process.setProcessEnvironment(environment);
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

// A file system mounted on a folder for one case (tests run as root), unmounted after it.
struct Mount {
    QString target;
    QString error;
    bool make(const char* source, const QString& on, const char* type, unsigned long flags,
              const char* data = nullptr) {
        if (::mount(source, on.toLocal8Bit().constData(), type, flags, data) != 0) {
            error = QString::fromLocal8Bit(std::strerror(errno));
            return false;
        }
        target = on;
        return true;
    }
    ~Mount() {
        if (!target.isEmpty())
            ::umount2(target.toLocal8Bit().constData(), MNT_DETACH);
    }
};

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

const QStringList kOnePairThreeDays = {"--symbols",  "AUDUSD", "--from",
                                       "2005-06-06", "--to",   "2005-06-08"};

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
        // A run without --skip-saved replaces an old file of the day.
        QVERIFY(QDir(batch.folder.path()).mkdir("days"));
        WriteFile(batch.path("days/AUDUSD-8-Jun-05.txt"), "old\r\n");
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

        // Everything is saved now: only an emptied day file is asked for again.
        WriteFile(batch.path("days/AUDUSD-8-Jun-05.txt"), "");
        QCOMPARE(
            retry.run(kTwoPairsOneDay + QStringList{"--skip-saved", "--out", batch.path("days")}),
            0);
        QCOMPARE(healthy.requestLog().size(), 2);
        QVERIFY2(retry.err.contains("EURUSD 8-Jun-05 skipped"), retry.err);
        QCOMPARE(ReadFile(batch.path("days/AUDUSD-8-Jun-05.txt")),
                 ExpectedDayBytes("frxAUDUSD", "8-Jun-05"));
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

    // The errors file is on the full disk too: what it cannot take is printed instead.
    void fullDiskListsTheDayAndTheRest_data() {
        QTest::addColumn<qint64>("room"); // bytes that still fit; -1: a real 8 KB tmpfs
        QTest::addColumn<QStringList>("saved");
        const qint64 firstDay = ExpectedDayBytes("frxAUDUSD", "8-Jun-05").size();
        QTest::newRow("full when synced") << firstDay << QStringList{};
        QTest::newRow("cut short") << firstDay + 100 << QStringList{"AUDUSD-8-Jun-05"};
        QTest::newRow("8 KB tmpfs") << qint64(-1) << QStringList{"AUDUSD-8-Jun-05"};
    }
    void fullDiskListsTheDayAndTheRest() {
        QFETCH(qint64, room);
        QFETCH(QStringList, saved);
        LocalService service;
        QVERIFY(service.start());
        Batch batch(service);
        QVERIFY(QDir(batch.folder.path()).mkdir("days"));
        Mount tmpfs;
        if (room < 0 && !tmpfs.make("tmpfs", batch.path("days"), "tmpfs", 0, "size=8k"))
            QSKIP(qPrintable("mounting an 8 KB tmpfs was refused: " + tmpfs.error));
        if (room >= 0)
            batch.fillDiskAfter(room);

        QCOMPARE(batch.run(kOnePairThreeDays +
                           QStringList{"--out", "days", "--errors", "days/failed.txt"}),
                 3);
        const QStringList days = {"AUDUSD-8-Jun-05", "AUDUSD-7-Jun-05", "AUDUSD-6-Jun-05"};
        const QStringList listed = days.mid(saved.size());
        QVERIFY2(batch.err.contains("Cannot create file \"days/" + listed[0].toUtf8() +
                                    ".txt\". No space left on device"),
                 batch.err);
        QStringList files;
        for (const QString& day : saved) {
            files << day + ".txt";
            QCOMPARE(ReadFile(batch.path("days/" + day + ".txt")),
                     ExpectedDayBytes("frxAUDUSD", day.mid(7)));
        }
        QCOMPARE(batch.days(), files);
        QCOMPARE(QString::fromUtf8(batch.out).split('\n', Qt::SkipEmptyParts), listed);
        QCOMPARE(service.requestLog().size(), saved.size() + 1);
    }

    // A retry file that cannot be rewritten keeps the items it listed, and the exit status
    // says so even when every day was saved.
    void unwritableRetryFileIsKept_data() {
        QTest::addColumn<bool>("fullDisk"); // else the retry file's folder is read-only
        QTest::addColumn<int>("status");
        QTest::newRow("full disk") << true << 3;
        QTest::newRow("read-only folder, every day saved") << false << 1;
    }
    void unwritableRetryFileIsKept() {
        QFETCH(bool, fullDisk);
        QFETCH(int, status);
        LocalService service;
        QVERIFY(service.start());
        Batch batch(service);
        QVERIFY(QDir(batch.folder.path()).mkdir("list"));
        const QByteArray items = "AUDUSD-8-Jun-05\r\n";
        WriteFile(batch.path("list/failed.txt"), items);
        Mount readOnly;
        if (fullDisk) {
            batch.fillDiskAfter(0);
        } else if (const QByteArray list = QFile::encodeName(batch.path("list"));
                   !readOnly.make(list.constData(), batch.path("list"), nullptr, MS_BIND) ||
                   !readOnly.make(nullptr, batch.path("list"), nullptr,
                                  MS_REMOUNT | MS_BIND | MS_RDONLY)) {
            QSKIP(qPrintable("a read-only bind mount was refused: " + readOnly.error));
        }
        QCOMPARE(batch.run({"--retry", "list/failed.txt", "--out", "days"}), status);
        QVERIFY2(batch.err.contains("cannot rewrite list/failed.txt: "), batch.err);
        QCOMPARE(ReadFile(batch.path("list/failed.txt")), items);
        QCOMPARE(batch.days().size(), fullDisk ? 0 : 1);
    }

    // Another run appending to the retry file while the retry runs: the retry waits for it,
    // and its rewrite keeps what was appended.
    void retryRewriteWaitsForTheLockAndKeepsAppendedItems() {
        LocalService service;
        QVERIFY(service.start());
        Batch batch(service);
        WriteFile(batch.path("failed.txt"), "AUDUSD-8-Jun-05\r\n");
        QFile other(batch.path("failed.txt"));
        QVERIFY(other.open(QIODevice::ReadWrite | QIODevice::Append));
        QCOMPARE(::flock(other.handle(), LOCK_EX), 0);
        batch.start({"--retry", "failed.txt", "--out", "days"});
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(batch.path("days/AUDUSD-8-Jun-05.txt")), 10000);
        QTest::qWait(500);
        QCOMPARE(batch.process.state(), QProcess::Running);
        other.write("EURUSD-7-Jun-05\r\n");
        other.close();
        QCOMPARE(batch.finish(), 0);
        QCOMPARE(ReadFile(batch.path("failed.txt")), QByteArray("EURUSD-7-Jun-05\r\n"));
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
