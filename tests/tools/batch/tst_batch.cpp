// pellmark-batch run as a script runs it, with no display, against the local quote service:
// stopping signals, the file-size limit, a full disk, a retry file that cannot be rewritten or
// is shared with another run, odd input, the live line on a narrow terminal, a dead network,
// and the scheduled update as the README and the systemd timer run it.
#include "BatchFolder.h"
#include "core/DateList.h"
#include "FullDisk.h"
#include "LocalService.h"
#include "MarketRows.h"
#include "ServiceDay.h"
#include "ServiceDayRows.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The real pause before each request stays: no option shortens it.
struct Batch : BatchFolder {
    explicit Batch(const LocalService& service) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("DISPLAY");
        environment.remove("WAYLAND_DISPLAY");
        environment.insert("http_proxy", service.proxyUrl());
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(folder.path());
    }
    void start(const QStringList& arguments) {
        if (clock.isEmpty())
            process.start(PELLMARK_BATCH_PATH, arguments);
        else {
            QProcessEnvironment environment = process.processEnvironment();
            AllowPreloadBeforeSanitizer(environment);
            process.setProcessEnvironment(environment);
            process.start("faketime", QStringList{clock, PELLMARK_BATCH_PATH} + arguments);
        }
    }
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

    QProcess process;
    QString clock; // the local time faketime starts the program at, when given
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

const QStringList kOnePairThreeDays = {"--symbols",  "AUDUSD", "--from",
                                       "2005-06-06", "--to",   "2005-06-08"};

const QStringList kTwoPairsOneDay = {"--symbols", "AUDUSD,EURUSD", "--from", "2005-06-08",
                                     "--to",      "2005-06-08",    "--out",  "days"};

// The command of the README's cron line: what follows its five time fields.
QString CronCommand() {
    QFile readme(PELLMARK_README);
    if (!readme.open(QIODevice::ReadOnly))
        return {};
    for (const QString& line : QString::fromUtf8(readme.readAll()).split('\n'))
        if (line.startsWith("30 23 * * 1-5"))
            return line.section(' ', 5).trimmed();
    return {};
}

// The ExecStart= of the build tree's pellmark-update.service.
QString ServiceCommand() {
    QFile unit(PELLMARK_UNITS_DIR "/pellmark-update.service");
    if (!unit.open(QIODevice::ReadOnly))
        return {};
    for (const QString& line : QString::fromUtf8(unit.readAll()).split('\n'))
        if (line.startsWith("ExecStart="))
            return line.mid(10);
    return {};
}

} // namespace

class TestBatch : public QObject {
    Q_OBJECT

private slots:
    // Whenever the stop comes, every day of the run is saved or listed; one that comes while
    // a --symbols-file pipe gives nothing is heard at once, before any day is known.
    void stoppedRunListsTheRestAndStopsAtOnce_data() {
        QTest::addColumn<int>("signal");
        QTest::addColumn<bool>("whileStarting");
        QTest::addColumn<bool>("outputFull");
        QTest::newRow("Ctrl+C mid-fetch") << SIGINT << false << false;
        QTest::newRow("terminal closed mid-fetch") << SIGHUP << false << false;
        QTest::newRow("SIGTERM while starting") << SIGTERM << true << false;
        QTest::newRow("Ctrl+C, standard output full") << SIGINT << false << true;
    }
    void stoppedRunListsTheRestAndStopsAtOnce() {
        QFETCH(int, signal);
        QFETCH(bool, whileStarting);
        QFETCH(bool, outputFull);
        LocalService service({"--delay-ms", "60000"});
        QVERIFY(service.start());
        Batch batch(service);
        if (outputFull)
            batch.process.setStandardOutputFile("/dev/full");
        QStringList arguments = kTwoPairsOneDay;
        int symbolsPipe = -1;
        if (whileStarting) {
            // Still reading its symbols when the signal comes, long before the run exists.
            QCOMPARE(::mkfifo(batch.path("symbols").toLocal8Bit().constData(), 0600), 0);
            arguments.replace(0, "--symbols-file");
            arguments.replace(1, "symbols");
            batch.start(arguments);
            // Opening the pipe's writing end succeeds once the program has it open to read.
            QElapsedTimer waiting;
            waiting.start();
            while (symbolsPipe < 0 && waiting.elapsed() < 10000) {
                symbolsPipe =
                    ::open(batch.path("symbols").toLocal8Bit().constData(), O_WRONLY | O_NONBLOCK);
                QTest::qWait(20);
            }
            QVERIFY(symbolsPipe >= 0);
        } else {
            batch.start(arguments);
            QTRY_COMPARE_WITH_TIMEOUT(service.requestLog().size(), 1, 10000);
        }
        QElapsedTimer stopping;
        stopping.start();
        ::kill(static_cast<pid_t>(batch.process.processId()), signal);
        QCOMPARE(batch.finish(), 128 + signal);
        if (symbolsPipe >= 0) {
            QVERIFY(stopping.elapsed() < 1000);
            ::close(symbolsPipe);
            QCOMPARE(batch.err, QByteArray("pellmark-batch: stopped by SIGTERM\n"));
            QCOMPARE(batch.days(), QStringList());
            return;
        }
        QVERIFY(stopping.elapsed() < 5000);
        QVERIFY2(batch.err.contains("0 saved, 0 skipped, 0 failed, 2 not done\n"), batch.err);
        if (outputFull)
            QVERIFY2(batch.err.contains("cannot write the failed days to standard output: No "
                                        "space left on device"),
                     batch.err);
        else
            QCOMPARE(batch.out, QByteArray("AUDUSD-8-Jun-05\nEURUSD-8-Jun-05\n"));
        QCOMPARE(batch.days(), QStringList());
    }

    // Over the file-size limit a day file cannot be written: the run says so, and lists it.
    void fileSizeLimitEndsTheRunWithTheDaysListed() {
        LocalService service;
        QVERIFY(service.start());
        Batch batch(service);
        batch.process.setChildProcessModifier([] {
            const rlimit limit{1024, 1024};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        });
        QCOMPARE(batch.run(kTwoPairsOneDay), 3);
        QVERIFY2(batch.err.contains("Cannot create file \"days/AUDUSD-8-Jun-05.txt\""), batch.err);
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

    // Symbols as a spreadsheet exports them, a separator of three two-byte characters, and
    // quiet mode: the day is saved and only the summary is said.
    void cleanedSymbolsWideSeparatorQuietly() {
        LocalService service;
        QVERIFY(service.start());
        Batch batch(service);
        const QString separator = QString::fromUtf8("\u00e9\u00e9\u00e9");
        QCOMPARE(
            batch.run({"-q", "--symbols", QString::fromUtf8("\ufeff AUDUSD "), "--from",
                       "2005-06-08", "--to", "2005-06-08", "--out", "days", "--sep", separator}),
            0);
        QCOMPARE(batch.err, QByteArray("1 saved, 0 skipped, 0 failed, 0 not done\n"));
        QCOMPARE(batch.days(), QStringList{"AUDUSD-8-Jun-05.txt"});
        QCOMPARE(
            ReadFile(batch.path("days/AUDUSD-8-Jun-05.txt")),
            ExpectedDayBytes("frxAUDUSD", "8-Jun-05", pellmark::LineOrder::PriceFirst, separator));

        QCOMPARE(batch.run({"--symbols", "AUDUSD", "--from", "2005-06-04", "--to", "2005-06-05"}),
                 0);
        QCOMPARE(batch.err, QByteArray("no week-days between 2005-06-04 and 2005-06-05\n"));
        QCOMPARE(service.requestLog().size(), 1);

        // The category, host label and layout of the command line reach the request and the file.
        QCOMPARE(batch.run({"-q", "--indices", "--symbols", "DJI", "--from", "2005-06-08", "--to",
                            "2005-06-08", "--out", "days", "--host", "uk", "--time-first"}),
                 0);
        const QStringList request = service.requestLog().value(1).split(u'\t');
        QCOMPARE(request.value(2), "uk.vorn.example");
        QCOMPARE(request.value(5), "w=CR&l=GB&stk=DJI&date=8-Jun-05");
        QCOMPARE(ReadFile(batch.path("days/DJI-8-Jun-05.txt")),
                 ExpectedDayBytes("DJI", "8-Jun-05", pellmark::LineOrder::TimeFirst));
    }

    // Every frame of the live line fits a 40-column terminal, from the first to the retries.
    void liveLineFitsANarrowTerminal() {
        LocalService service({"--only", "EURUSD", "--no-data-first", "1"});
        QVERIFY(service.start());
        Batch batch(service);
        const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(terminal >= 0 && ::grantpt(terminal) == 0 && ::unlockpt(terminal) == 0);
        const winsize size{24, 40, 0, 0};
        QCOMPARE(::ioctl(terminal, TIOCSWINSZ, &size), 0);
        batch.process.setStandardErrorFile(QString::fromLocal8Bit(::ptsname(terminal)));
        batch.start(kTwoPairsOneDay);
        QByteArray screen;
        ::fcntl(terminal, F_SETFL, O_NONBLOCK);
        char buffer[4096];
        while (!batch.process.waitForFinished(100))
            for (ssize_t got; (got = ::read(terminal, buffer, sizeof buffer)) > 0;)
                screen.append(buffer, got);
        for (ssize_t got; (got = ::read(terminal, buffer, sizeof buffer)) > 0;)
            screen.append(buffer, got);
        ::close(terminal);
        QCOMPARE(batch.finish(), 0);

        const QStringList frames = QString::fromUtf8(screen.replace("\x1b[K", ""))
                                       .split(QRegularExpression("[\r\n]"), Qt::SkipEmptyParts);
        QCOMPARE(frames.last(), "2 saved, 0 skipped, 0 failed, 0 not done");
        for (const QString& frame : frames.mid(0, frames.size() - 1))
            QVERIFY2(frame.size() < 40, qPrintable(frame));
        QVERIFY2(frames.filter(QRegularExpression("^0% 0/2 AUDUSD 8-Jun-05")).size() > 0, screen);
        QVERIFY2(frames.filter("EURUSD 8-Jun-05 retry 2/7").size() > 0, screen);
        QVERIFY2(frames.filter("/0").isEmpty(), screen);
    }

    // Retry items in any letter case, with the spaces and byte-order mark an editor adds, are
    // saved under the one name every program reads; items that name no week-day up to today
    // (a NUL in a line makes it name none) are said, kept and never asked for, as are the lines
    // after a NUL; a retry file not made yet is an empty list.
    void retryItemsAreReadAsTheirDays() {
        const QByteArray kNulLines =
            QByteArray("AUDUSD-6-Jun-05") + '\0' + " note\r\nEURUSD-4-Jun-05\r\n";
        LocalService service;
        QVERIFY(service.start());
        Batch batch(service);
        WriteFile(batch.path("failed.txt"),
                  " \xEF\xBB\xBF"
                  "AUDUSD-8-jun-05 \r\nAUDUSD-32-Jan-05\r\nAUDUSD-1-Jan-69\r\n"
                  "AUDUSD-31-Dec-30\r\nAUDUSD-4-Jun-05\r\n# pasted\r\nErrors:\r\n" +
                      kNulLines);
        QCOMPARE(batch.run({"--retry", "failed.txt", "--out", "days"}), 1);
        QCOMPARE(batch.days(), QStringList{"AUDUSD-8-Jun-05.txt"});
        QCOMPARE(service.requestLog().size(), 1);
        for (const char* said : {"failed.txt:2: \"32-Jan-05\" is not a day (d-Mmm-yy): kept",
                                 "failed.txt:3: 1-Jan-69 names 2069-01-01, after today: kept",
                                 "failed.txt:4: 31-Dec-30 names 2030-12-31, after today: kept",
                                 "failed.txt:5: 4-Jun-05 names 2005-06-04, a Saturday: kept",
                                 "failed.txt:6: not an item (SYMBOL-d-mmm-yy): kept",
                                 "failed.txt:7: not an item (SYMBOL-d-mmm-yy): kept"})
            QVERIFY2(batch.err.contains(said), batch.err);
        QCOMPARE(ReadFile(batch.path("failed.txt")),
                 "# pasted\r\nErrors:\r\nAUDUSD-32-Jan-05\r\nAUDUSD-1-Jan-69\r\n"
                 "AUDUSD-31-Dec-30\r\nAUDUSD-4-Jun-05\r\n" +
                     kNulLines);

        QCOMPARE(batch.run({"--retry", "none.txt"}), 0);
        QCOMPARE(batch.err, "pellmark-batch: no retry file none.txt: nothing to fetch again\n");
        QVERIFY(!QFile::exists(batch.path("none.txt")));
        QCOMPARE(service.requestLog().size(), 1);
    }

    void helpAndVersion_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("start");
        QTest::newRow("-h") << "-h"
                            << "Usage: pellmark-batch [OPTION]...\n";
        QTest::newRow("--help") << "--help"
                                << "Usage: pellmark-batch [OPTION]...\n";
        QTest::newRow("-v") << "-v"
                            << "pellmark-batch 1.0\n";
    }
    void helpAndVersion() {
        QFETCH(QString, option);
        QFETCH(QString, start);
        Batch batch(LocalService{});
        QCOMPARE(batch.run({option}), 0);
        QVERIFY2(batch.out.startsWith(start.toUtf8()), batch.out);
        QCOMPARE(batch.err, QByteArray());
    }

    // With no answer from the service a long update ends after two days, every day listed
    // (bench/dead_network.sh times it).
    void deadNetworkEndsTheRunAtOnce_data() {
        QTest::addColumn<QString>("proxy"); // empty: a refusing port; --FAULT: the service plays it
        QTest::addColumn<QByteArray>("reason");
        QTest::newRow("refused") << QString() << QByteArray("connection refused");
        QTest::newRow("closed at once")
            << QString("--close") << QByteArray("Empty reply from server");
        QTest::newRow("name not resolved")
            << QString("http://pellmark-nowhere.invalid:3128")
            << QByteArray("Could not resolve proxy: pellmark-nowhere.invalid");
    }
    void deadNetworkEndsTheRunAtOnce() {
        QFETCH(QString, proxy);
        QFETCH(QByteArray, reason);
        const bool played = proxy.startsWith("--");
        LocalService service(played ? QStringList{proxy} : QStringList{});
        QVERIFY(service.start());
        Batch batch(service);
        if (proxy.isEmpty() || played) {
            proxy = service.proxyUrl();
            if (!played)
                QVERIFY(service.stop());
        }
        QProcessEnvironment environment = batch.process.processEnvironment();
        environment.insert("http_proxy", proxy);
        batch.process.setProcessEnvironment(environment);
        QVERIFY(QDir(batch.folder.path()).mkdir("days"));
        // 1,000 week-days from 6 Feb 2023 to 4 Dec 2026.
        WriteFile(batch.path("days/AUDUSD-3-Feb-23.txt"),
                  ExpectedDayBytes("frxAUDUSD", "3-Feb-23"));
        QCOMPARE(batch.run({"--update", "days", "--to", "2026-12-04", "--heal", "--errors",
                            "failed.txt"}),
                 4);
        const QList<QByteArray> listed = ReadFile(batch.path("failed.txt")).split('\n');
        QCOMPARE(listed.size(), 1001);
        QCOMPARE(listed.first(), "AUDUSD-4-Dec-26\r");
        QCOMPARE(listed.at(999), "AUDUSD-6-Feb-23\r");
        QVERIFY2(batch.err.contains("0 saved, 0 skipped, 2 failed, 998 not done\n"
                                    "pellmark-batch: the quote service cannot be reached: " +
                                    reason + "\n"),
                 batch.err);
        QCOMPARE(batch.err.count("cannot be reached"), 1);
    }

    // The README's cron line and the timer's service, each run once as the scheduler would on
    // a folder a week behind: the five week-days since are fetched, and nothing fails. Both
    // started together fetch them once: the second ends at once, asking nothing.
    void scheduledUpdateWorksTheFirstNight_data() {
        QTest::addColumn<bool>("timer");
        QTest::addColumn<bool>("cronAlongside");
        QTest::newRow("README cron line") << false << false;
        QTest::newRow("systemd timer's service") << true << false;
        QTest::newRow("timer and cron line together") << true << true;
    }
    void scheduledUpdateWorksTheFirstNight() {
        QFETCH(bool, timer);
        QFETCH(bool, cronAlongside);
        LocalService service;
        QVERIFY(service.start());
        Batch batch(service);
        QVERIFY(QDir(batch.folder.path()).mkdir("prices"));
        QDate newest = QDate::currentDate().addDays(-7);
        while (newest.dayOfWeek() > 5)
            newest = newest.addDays(-1);
        const QString label = QString::fromStdString(pellmark::DateLabel(newest));
        WriteFile(batch.path("prices/AUDUSD-" + label + ".txt"),
                  ExpectedDayBytes("frxAUDUSD", label));
        QProcessEnvironment environment = batch.process.processEnvironment();
        environment.insert("HOME", batch.folder.path());
        environment.insert("PATH", QFileInfo(PELLMARK_BATCH_PATH).path() + ":/usr/bin:/bin");
        if (timer) {
            // As systemd does: ${NAME} is one word, $NAME is split at spaces.
            QString command = ServiceCommand();
            command.replace("${PELLMARK_FOLDER}", batch.path("prices"));
            command.replace("$PELLMARK_OPTIONS", "--quiet");
            QStringList words = command.split(' ', Qt::SkipEmptyParts);
            batch.process.setProcessEnvironment(environment);
            batch.process.start(words.takeFirst(), words);
        } else {
            batch.process.setProcessEnvironment(environment);
            batch.process.start("/bin/sh", {"-c", CronCommand()});
        }
        QProcess cron;
        if (cronAlongside) {
            cron.setProcessEnvironment(environment);
            cron.setWorkingDirectory(batch.folder.path());
            cron.start("/bin/sh", {"-c", CronCommand()});
            QVERIFY(cron.waitForFinished(120000));
        }
        // Together, whichever came second ended at once with 5, saying why.
        QCOMPARE(batch.finish() + cron.exitCode(), cronAlongside ? 5 : 0);
        QCOMPARE((batch.err + (cronAlongside ? cron.readAllStandardError() : ""))
                     .count("/prices is being updated by another run: nothing fetched\n"),
                 cronAlongside ? 1 : 0);
        QCOMPARE(service.requestLog().size(), 5);
        QCOMPARE(QDir(batch.path("prices")).entryList({"AUDUSD-*.txt"}).size(), 6);
        QCOMPARE(ReadFile(batch.path("prices/failed.txt")), QByteArray());
    }

    // A folder of several forms, updated and healed on a service that plays a market (see
    // MarketRows.h); then pellmark-check, and the next night.
    void folderMarketIsLearntOnce_data() {
        // The rows that need the real program and service; the rest run in-process.
        AddMarketRows(
            {"half day of a stock, record with a line it cannot read", "holiday of the pairs"});
    }
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
        LocalService market(service);
        QVERIFY(market.start());
        Batch batch(market);
        QVERIFY(QDir(batch.folder.path()).mkdir("days"));
        for (const QString& file : files) {
            const QString stk = file.section(' ', 0, 0);
            const QString label = file.section(' ', 1);
            WriteFile(batch.path("days/" + QString(stk).remove("frx") + "-" + label + ".txt"),
                      ExpectedDayBytes(stk.toStdString(), label));
        }
        if (!record.isEmpty())
            WriteFile(batch.path("days/pellmark-market"), record);
        const QStringList nightly = {"--update", "days", "--heal", "--errors", "failed.txt"};
        QCOMPARE(batch.run(nightly + arguments + QStringList{"--to", "2005-06-10"}), status);
        QCOMPARE(market.requestLog().size(), requests);
        for (const QString& line : told)
            QVERIFY2(batch.err.count(line.toUtf8() + "\n") == 1, batch.err);
        QCOMPARE(ReadFile(batch.path("failed.txt")), listed);
        QStringList kept = QString::fromUtf8(ReadFile(batch.path("days/pellmark-market")))
                               .split("\r\n", Qt::SkipEmptyParts)
                               .filter(QRegularExpression("^[^#]"));
        QCOMPARE(kept, recordAfter);

        QProcess check;
        check.setWorkingDirectory(batch.folder.path());
        check.start(PELLMARK_CHECK_PATH, {"days", "--retry-list", "retry.txt"});
        QVERIFY(check.waitForFinished(30000));
        QCOMPARE(check.exitCode(), checkStatus);
        QCOMPARE(ReadFile(batch.path("retry.txt")), checkStatus == 0 ? QByteArray() : listed);

        QCOMPARE(batch.run(nightly + QStringList{"--to", "2005-06-13"}), 0);
        QCOMPARE(market.requestLog().size(), requests + nextNight);
    }

    // The rows of ServiceDayRows.h that need the machine's clock and time zone, under faketime.
    void updateFollowsTheServiceDay_data() { AddServiceDayRows(true); }
    void updateFollowsTheServiceDay() {
        QFETCH(QString, zone);
        QFETCH(QStringList, nights);
        QFETCH(QStringList, seeded);
        QFETCH(QStringList, options);
        QFETCH(int, status);
        QFETCH(QString, said);
        QFETCH(QStringList, files);
        QFETCH(int, requests);
        QVERIFY2(!QStandardPaths::findExecutable("faketime").isEmpty(),
                 "faketime is missing: run scripts/install-deps.sh");
        int asked = 0;
        Batch batch(LocalService{});
        SeedDays(batch, seeded);
        for (const QString& night : nights) {
            LocalService service({"--now", night.section('|', 1)});
            QVERIFY(service.start());
            Batch nightly(service);
            nightly.folder.remove();
            nightly.process.setWorkingDirectory(batch.folder.path());
            QProcessEnvironment environment = nightly.process.processEnvironment();
            environment.insert("TZ", zone);
            environment.insert("NO_FAKE_STAT", "1");
            nightly.process.setProcessEnvironment(environment);
            nightly.clock = night.section('|', 0, 0);
            QCOMPARE(nightly.run(QStringList{"--update", "days"} + options), status);
            batch.err = nightly.err + nightly.out;
            asked += service.requestLog().size();
        }
        QVERIFY2(batch.err.contains(said.toUtf8()), batch.err);
        QCOMPARE(FilesAndLines(batch), files);
        QCOMPARE(asked, requests);
    }

    // A link planted at a name the batch writes is refused and left as it is, the outside
    // file keeping its bytes; a FIFO at the folder's record is told, never waited on.
    void plantedEntryIsLeftAlone_data() {
        QTest::addColumn<QStringList>("faults");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("planted");
        QTest::addColumn<bool>("fifo"); // else a link to a file outside the folder
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("says");
        const QStringList day = {"--symbols", "AUDUSD",     "--from", "2005-06-08",
                                 "--to",      "2005-06-08", "--out",  "days"};
        const QString notRegular = "not a regular file";
        const QStringList holiday = {"--holidays", "8-Jun-05"};
        const QStringList heal = {"--heal", "--heal-rounds", "0"};
        QTest::newRow("day file") << QStringList{} << day << "days/AUDUSD-8-Jun-05.txt" << false
                                  << 3
                                  << "Cannot create file \"days/AUDUSD-8-Jun-05.txt\". " +
                                         notRegular;
        QTest::newRow("errors file")
            << QStringList{"--close"} << day + QStringList{"--errors", "failed.txt"} << "failed.txt"
            << false << 1 << "cannot write failed.txt: " + notRegular;
        QTest::newRow("retry file")
            << QStringList{} << QStringList{"--retry", "failed.txt", "--out", "days"}
            << "failed.txt" << false << 1 << "cannot rewrite failed.txt: " + notRegular;
        QTest::newRow("folder's record") << holiday << day + heal << "days/pellmark-market" << false
                                         << 1 << "cannot read pellmark-market: " + notRegular;
        QTest::newRow("folder's record a FIFO")
            << holiday << day + heal << "days/pellmark-market" << true << 1
            << "cannot read pellmark-market: not a regular file";
    }
    void plantedEntryIsLeftAlone() {
        QFETCH(QStringList, faults);
        QFETCH(QStringList, arguments);
        QFETCH(QString, planted);
        QFETCH(bool, fifo);
        QFETCH(int, status);
        QFETCH(QString, says);
        LocalService service(faults);
        QVERIFY(service.start());
        Batch batch(service);
        QVERIFY(QDir(batch.folder.path()).mkdir("days"));
        const QByteArray outside = "AUDUSD-8-Jun-05\r\n";
        WriteFile(batch.path("outside.txt"), outside);
        const QByteArray at = batch.path(planted).toLocal8Bit();
        QVERIFY(fifo ? ::mkfifo(at.constData(), 0600) == 0
                     : QFile::link(batch.path("outside.txt"), batch.path(planted)));
        QCOMPARE(batch.run(arguments), status);
        QVERIFY2(batch.err.contains(says.toUtf8()), batch.err);
        QCOMPARE(ReadFile(batch.path("outside.txt")), outside);
        QCOMPARE(QFileInfo(batch.path(planted)).isSymLink(), !fifo);
    }

    void badInputIsRefusedBeforeAnythingIsFetched_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("reason");
        QTest::newRow("long separator") << QStringList{"--sep", "abcd"} << "more than 3 characters";
        QTest::newRow("impossible date") << QStringList{"--from", "2005-02-30"} << "not a date";
        QTest::newRow("reversed range")
            << QStringList{"--from", "2005-06-08", "--to", "2005-06-07"} << "after the end date";
        QTest::newRow("after today") << QStringList{"--to", "2030-01-01"} << "after today";
        QTest::newRow("out is a file") << QStringList{"--out", "plain"} << "names a file";
        QTest::newRow("unreadable symbols")
            << QStringList{"--symbols-file", "missing.txt"} << "cannot read the symbols file";
        QTest::newRow("unknown option") << QStringList{"--fast"} << "unknown option '--fast'";
        QTest::newRow("two categories") << QStringList{"--stocks", "--forex"} << "one category";
        QTest::newRow("slash in a symbol")
            << QStringList{"--symbols", "A/B"} << "symbol \"A/B\" cannot name a file";
        QTest::newRow("dot-dot symbol") << QStringList{"--symbols", ".."} << "cannot name a file";
        QTest::newRow("empty symbol") << QStringList{"--symbols", "A,,B"} << "an empty symbol";
        QTest::newRow("control character")
            << QStringList{"--symbols", "A\x01B"} << "control character";
        QTest::newRow("slash in a retried symbol")
            << QStringList{"--retry", "retry.txt"} << "retry.txt:2: the symbol \"A/B\"";
        QTest::newRow("host that is a path")
            << QStringList{"--host", "evil.example/x?"} << "host label";
        QTest::newRow("before 1970")
            << QStringList{"--from", "1969-12-31", "--to", "1970-01-02"} << "before 1970-01-01";
        QTest::newRow("after 2069") << QStringList{"--to", "2070-01-01"} << "after 2069-12-31";
        QTest::newRow("300-byte symbol")
            << QStringList{"--symbols", QString(300, u'A')} << "too long to name a file (300 bytes";
        QTest::newRow("update, files in another layout")
            << QStringList{"--update", "timefirst"}
            << "timefirst/AUDUSD-8-Jun-05.txt: these lines look like TIME then PRICE: try "
               "--time-first";
        QTest::newRow("update without day files") << QStringList{"--update", "."} << "no day files";
        QTest::newRow("update folder from an env file, ~ unexpanded")
            << QStringList{"--update", "~/prices"} << "'~/prices' starts with ~, which nothing";
        QTest::newRow("update and retry")
            << QStringList{"--update", ".", "--retry", "retry.txt"} << "not from --retry";
        QTest::newRow("heal rounds without heal") << QStringList{"--heal-rounds", "3"} << "--heal";
        QTest::newRow("tomorrow") << QStringList{"--to", QDate::currentDate().addDays(1).toString(
                                                             Qt::ISODate)}
                                  << "after today";
        QTest::newRow("four characters beyond 16 bits")
            << QStringList{"--sep", QString::fromUtf8("\U0001F4C8\U0001F4C8\U0001F4C8\U0001F4C8")}
            << "more than 3 characters";
        QTest::newRow("retried symbol after blank lines")
            << QStringList{"--retry", "gaps.txt"} << "gaps.txt:4: the symbol \"A/B\"";
        QTest::newRow("symbols file a link to /dev/zero")
            << QStringList{"--symbols-file", "zero"}
            << "cannot read the symbols file zero: not a regular file";
        QTest::newRow("symbols file of 1 GB")
            << QStringList{"--symbols-file", "huge"}
            << "cannot read the symbols file huge: larger than 16 MB";
        QTest::newRow("retry file a FIFO") << QStringList{"--retry", "fifo"}
                                           << "cannot read the retry file fifo: not a regular file";
        // Each refusal the README, the help or the man page gives, in the program's words.
        const QString retryAlone = "--retry takes its days from its file, not from --symbols or "
                                   "a range\n";
        const QStringList retry = {"--retry", "retry.txt"};
        QTest::newRow("retry, up to today")
            << retry + QStringList{"--to", QDate::currentDate().toString(Qt::ISODate)}
            << retryAlone;
        QTest::newRow("retry, from a day")
            << retry + QStringList{"--from", "2005-06-08"} << retryAlone;
        QTest::newRow("retry, symbols") << retry + QStringList{"--symbols", "AUDUSD"} << retryAlone;
        QTest::newRow("retry, symbols file")
            << retry + QStringList{"--symbols-file", "plain"} << retryAlone;
        QTest::newRow("retry, heal") << retry + QStringList{"--heal"}
                                     << "--heal goes with --update or a range, not with --retry\n";
        QTest::newRow("symbols and a symbols file")
            << QStringList{"--symbols", "AUDUSD", "--symbols-file", "plain"}
            << "--symbols and --symbols-file cannot both be given\n";
        QTest::newRow("bars without csv")
            << QStringList{"--bars", "1h"} << "--bars goes with --csv or --sqlite\n";
        QTest::newRow("time zone without csv")
            << QStringList{"--tz", "Europe/Berlin"} << "--tz goes with --csv or --sqlite\n";
        QTest::newRow("layout with the database only")
            << QStringList{"--sqlite", "p.db", "--layout", "metastock"}
            << "--layout chooses the files of --csv: give --csv\n";
        QTest::newRow("unknown bar length")
            << QStringList{"--csv", "csv", "--bars", "2h"}
            << "--bars needs one of 1min, 5min, 15min, 30min, 1h, 4h, 1d, not '2h'\n";
        QTest::newRow("MetaTrader without bars")
            << QStringList{"--csv", "csv", "--layout", "metatrader"}
            << "--layout metatrader writes bars only (MetaTrader's history import reads no "
               "quotes): add --bars LENGTH, such as --bars 1min\n";
        QTest::newRow("unknown zone")
            << QStringList{"--csv", "csv", "--tz", "Europe/Berln"}
            << "unknown time zone 'Europe/Berln': did you mean Europe/Berlin?\n";
        QTest::newRow("dot symbol")
            << QStringList{"--symbols", "."} << "the symbol \".\" cannot name a file\n";
        QTest::newRow("21 heal rounds") << QStringList{"--heal", "--heal-rounds", "21"}
                                        << "--heal-rounds takes a number from 0 to 20: 21\n";
        QTest::newRow("heal again without heal")
            << QStringList{"--heal-again"} << "--heal-rounds and --heal-again go with --heal\n";
        QTest::newRow("indices and stocks")
            << QStringList{"--indices", "--stocks"}
            << "--forex, --stocks and --indices choose one category: give one\n";
        QTest::newRow("operand") << QStringList{"AUDUSD"} << "unexpected argument AUDUSD\n";
        QTest::newRow("update of a missing folder")
            << QStringList{"--update", "typo/deep/x"} << "no day files in typo/deep/x";
        QTest::newRow("update and --from, no new symbol")
            << QStringList{"--update", "timefirst", "--from", "2005-06-01"}
            << "--from only places the new symbols";
        QTest::newRow("update and --skip-saved")
            << QStringList{"--update", "timefirst", "--skip-saved"} << "does nothing with --update";
        QTest::newRow("only without update") << QStringList{"--only", "AUDUSD"} << "--only goes";
        QTest::newRow("only, a symbol without files")
            << QStringList{"--update", "timefirst", "--time-first", "--only", "EURUSD"}
            << "--only EURUSD: no day files of it in timefirst";
        QTest::newRow("heal-from without update")
            << QStringList{"--heal", "--heal-from", "2005-06-01"} << "--heal-from goes with";
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
        QFile retry(batch.path("retry.txt"));
        QVERIFY(retry.open(QIODevice::WriteOnly));
        retry.write("AUDUSD-8-Jun-05\r\nA/B-8-Jun-05\r\n");
        retry.close();
        QVERIFY(QDir(batch.folder.path()).mkdir("timefirst"));
        WriteFile(batch.path("timefirst/AUDUSD-8-Jun-05.txt"),
                  ExpectedDayBytes("frxAUDUSD", "8-Jun-05", pellmark::LineOrder::TimeFirst));
        WriteFile(batch.path("gaps.txt"), "\r\nAUDUSD-8-Jun-05\r\n\r\nA/B-8-Jun-05\r\n");
        QCOMPARE(::symlink("/dev/zero", batch.path("zero").toLocal8Bit().constData()), 0);
        QCOMPARE(::mkfifo(batch.path("fifo").toLocal8Bit().constData(), 0600), 0);
        QFile huge(batch.path("huge"));
        QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(1LL << 30));
        const QStringList before = QDir(batch.folder.path()).entryList(QDir::AllEntries);
        QCOMPARE(batch.run(arguments), 2);
        QVERIFY2(batch.err.startsWith("pellmark-batch: ") && batch.err.contains(reason.toUtf8()),
                 batch.err);
        QCOMPARE(QDir(batch.folder.path()).entryList(QDir::AllEntries), before);
        QCOMPARE(batch.out, QByteArray());
        QCOMPARE(service.requestLog().size(), 0);
    }
};

QTEST_GUILESS_MAIN(TestBatch)
#include "tst_batch.moc"
