// The program killed with SIGKILL during a batch download, many times over into the same
// save folder: afterwards every day file there must be complete, and nothing else may look
// like data. Some runs are killed after a random time; others, through strace, exactly as
// they make the n-th call of write, fsync or rename, since a kill from outside almost never
// lands inside a write. Set PELLMARK_CRASH_SEED to replay a sequence of kills.
#include "LocalService.h"
#include "ServiceDay.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cstddef>
#include <utility>

namespace {

const QStringList kPairs = {"AUDUSD", "USDJPY", "USDCAD", "USDCHF", "GBPUSD", "GBPJPY", "GBPAUD",
                            "GBPCAD", "GBPCHF", "EURUSD", "EURJPY", "EURGBP", "EURCHF"};
constexpr quint32 kDefaultSeed = 20050606;
constexpr int kLongestRunMs = 10000;

QString DriverPath() {
    const QString fromEnvironment = qEnvironmentVariable("PELLMARK_RUN_DRIVER");
    return fromEnvironment.isEmpty() ? QStringLiteral(PELLMARK_RUN_DRIVER_PATH) : fromEnvironment;
}

quint32 Seed() {
    bool ok = false;
    const quint32 seed = qEnvironmentVariable("PELLMARK_CRASH_SEED").toUInt(&ok);
    return ok ? seed : kDefaultSeed;
}

// The pairs in a random rotation, so that the kills fall on different files.
QString RotatedPairs(QRandomGenerator& random) {
    const auto first = static_cast<int>(random.bounded(kPairs.size()));
    return (kPairs.mid(first) + kPairs.mid(0, first)).join(u',');
}

struct Kills {
    int killed = 0;          // runs killed while still going
    int endedOnTheirOwn = 0; // runs that were over before their kill came
};

// strace may be missing, or barred from tracing where the test runs.
bool StraceWorks() {
    const QString strace = QStandardPaths::findExecutable("strace");
    if (strace.isEmpty())
        return false;
    QProcess probe;
    probe.start(strace, {"-qq", "-o", "/dev/null", "--", "true"});
    return probe.waitForFinished() && probe.exitStatus() == QProcess::NormalExit &&
           probe.exitCode() == 0;
}

// The driver's command line, or strace's when the kill comes with the n-th call of one of
// the syscalls (a comma-separated set of alternatives).
std::pair<QString, QStringList> KilledRun(const QString& syscalls, int n, QStringList arguments) {
    if (syscalls.isEmpty())
        return {DriverPath(), arguments};
    const QStringList strace = {"-f", "-qq",
                                "-o", "/dev/null",
                                "-e", "trace=" + syscalls,
                                "-e", QString("inject=%1:signal=KILL:when=%2").arg(syscalls).arg(n),
                                "--", DriverPath()};
    return {QStandardPaths::findExecutable("strace"), strace + arguments};
}

struct FolderCheck {
    int dayFiles = 0;
    int tempFiles = 0;
    QStringList faults;
};

// A day file replacing another is linked under a temporary name next to it and renamed over
// it; a kill between those two calls leaves that name, holding the complete day.
QString DayFileOfTempName(const QString& name) {
    static const QRegularExpression tempName(QStringLiteral("^(.+\\.txt)\\.[A-Za-z0-9]{6}$"));
    const QRegularExpressionMatch match = tempName.match(name);
    return match.hasMatch() ? match.captured(1) : QString();
}

FolderCheck CheckFolder(const QDir& folder, int hugeMb) {
    FolderCheck check;
    const auto entries =
        folder.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    // Day files are written through unnamed temporary files: a killed run leaves nothing else.
    for (const QFileInfo& entry : entries) {
        const QString tempOf = DayFileOfTempName(entry.fileName());
        const QString name = tempOf.isEmpty() ? entry.fileName() : tempOf;
        check.tempFiles += !tempOf.isEmpty();
        const qsizetype hyphen = name.indexOf(u'-');
        const QString symbol = name.left(hyphen);
        if (!entry.isFile() || hyphen < 0 || !name.endsWith(".txt") || !kPairs.contains(symbol)) {
            check.faults.append(name + ": not a day file of the run");
            continue;
        }
        const QString dateLabel = name.mid(hyphen + 1).chopped(4);
        QFile file(entry.filePath());
        if (!file.open(QIODevice::ReadOnly) ||
            file.readAll() != ExpectedDayBytes("frx" + symbol.toStdString(), dateLabel,
                                               pellmark::LineOrder::PriceFirst, " - ",
                                               std::size_t(hugeMb) << 20))
            check.faults.append(entry.fileName() +
                                QString(": %1 bytes, not the day's quotes").arg(entry.size()));
        check.dayFiles += tempOf.isEmpty();
    }
    return check;
}

} // namespace

class TestKillDuringRun : public QObject {
    Q_OBJECT

private slots:
    // The window makes some eighty calls of write before its first day file, then about five
    // per day: one for the file, the others to wake its event loop.
    void killedRunsLeaveOnlyCompleteDayFiles_data() {
        QTest::addColumn<int>("hugeMb");
        QTest::addColumn<QString>("syscalls"); // empty: killed after a random time
        QTest::addColumn<int>("runs");
        QTest::addColumn<int>("earliest"); // time in ms, or number of the call
        QTest::addColumn<int>("latest");
        QTest::addColumn<bool>("replacing"); // every day file is there before the kills
        QTest::newRow("random moments") << 0 << QString() << 10 << 100 << 1000 << false;
        QTest::newRow("at a write")
            << 0 << QString("write,pwrite64,writev") << 10 << 80 << 240 << false;
        QTest::newRow("at an fsync") << 0 << QString("fsync,fdatasync") << 4 << 1 << 12 << false;
        QTest::newRow("at a link") << 0 << QString("link,linkat") << 4 << 1 << 12 << false;
        QTest::newRow("at a link, replacing")
            << 0 << QString("link,linkat") << 4 << 1 << 24 << true;
        QTest::newRow("at a rename, replacing")
            << 0 << QString("rename,renameat,renameat2") << 4 << 1 << 12 << true;
        QTest::newRow("random moments, 1 MB pages") << 1 << QString() << 5 << 500 << 3000 << false;
    }

    void killedRunsLeaveOnlyCompleteDayFiles() {
        QFETCH(int, hugeMb);
        QFETCH(QString, syscalls);
        QFETCH(int, runs);
        QFETCH(int, earliest);
        QFETCH(int, latest);
        QFETCH(bool, replacing);
        if (qEnvironmentVariableIsSet("PELLMARK_CRASH_SKIP"))
            QSKIP(qPrintable(qEnvironmentVariable("PELLMARK_CRASH_SKIP")));
        if (!syscalls.isEmpty() && !StraceWorks())
            QSKIP("strace is not installed or cannot trace here");
        const quint32 seed =
            Seed() + static_cast<quint32>(qHash(QByteArray(QTest::currentDataTag())));
        qInfo("seed %u (from PELLMARK_CRASH_SEED=%u)", seed, Seed());
        QRandomGenerator random(seed);

        LocalService service(hugeMb > 0 ? QStringList{"--huge-mb", QString::number(hugeMb)}
                                        : QStringList{});
        QVERIFY2(service.start(), qPrintable(service.errorString()));
        QTemporaryDir folder;
        QVERIFY(folder.isValid());

        const auto runArguments = [&] {
            return QStringList{"--proxy",    service.proxyUrl(),
                               "--folder",   folder.path(),
                               "--pause-ms", QString::number(random.bounded(21)),
                               "--symbols",  RotatedPairs(random),
                               "--start",    "2005-06-01",
                               "--end",      "2005-06-30"};
        };
        if (replacing) {
            QProcess fill;
            fill.setStandardOutputFile(QProcess::nullDevice());
            fill.start(DriverPath(), runArguments());
            QVERIFY(fill.waitForFinished(60000) && fill.exitCode() == 0);
        }

        Kills kills;
        for (int run = 0; run < runs; ++run) {
            const int killAt = static_cast<int>(random.bounded(earliest, latest + 1));
            const auto [program, arguments] = KilledRun(syscalls, killAt, runArguments());
            QProcess driver;
            driver.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            driver.setStandardOutputFile(QProcess::nullDevice());
            driver.start(program, arguments);
            QVERIFY2(driver.waitForStarted(), qPrintable(driver.errorString()));
            if (!driver.waitForFinished(syscalls.isEmpty() ? killAt : kLongestRunMs)) {
                QVERIFY2(syscalls.isEmpty(), "the run was never killed at the call");
                driver.kill();
                QVERIFY(driver.waitForFinished());
            }
            if (driver.exitStatus() == QProcess::CrashExit) {
                ++kills.killed;
                continue;
            }
            QCOMPARE(driver.exitCode(), 0);
            ++kills.endedOnTheirOwn;
        }

        const FolderCheck check = CheckFolder(QDir(folder.path()), hugeMb);
        qInfo("%d runs killed, %d over before the kill; %d day files checked, %d complete "
              "temporary files left by a kill between link and rename",
              kills.killed, kills.endedOnTheirOwn, check.dayFiles, check.tempFiles);
        QVERIFY2(check.faults.isEmpty(), qPrintable(check.faults.join(u'\n')));
        QVERIFY2(kills.killed >= runs / 2, "too few runs were still going when killed");
        QVERIFY2(check.dayFiles > 0, "no run got as far as writing a day file");
    }
};

QTEST_GUILESS_MAIN(TestKillDuringRun)
#include "tst_kill_during_run.moc"
