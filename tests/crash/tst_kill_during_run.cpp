// The program killed with SIGKILL at random moments of a batch download, many times over
// into the same save folder: afterwards every day file there must be complete, and nothing
// else may look like data. Set PELLMARK_CRASH_SEED to replay a sequence of kills.
#include "core/DayFile.h"
#include "LocalService.h"
#include "quote/BodySerialiser.h"
#include "quote/IntradayParser.h"
#include "QuotePage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <cstddef>

namespace {

const QStringList kPairs = {"AUDUSD", "USDJPY", "USDCAD", "USDCHF", "GBPUSD", "GBPJPY", "GBPAUD",
                            "GBPCAD", "GBPCHF", "EURUSD", "EURJPY", "EURGBP", "EURCHF"};
constexpr quint32 kDefaultSeed = 20050606;

QString DriverPath() {
    const QString fromEnvironment = qEnvironmentVariable("PELLMARK_RUN_DRIVER");
    return fromEnvironment.isEmpty() ? QStringLiteral(PELLMARK_RUN_DRIVER_PATH) : fromEnvironment;
}

quint32 Seed() {
    bool ok = false;
    const quint32 seed = qEnvironmentVariable("PELLMARK_CRASH_SEED").toUInt(&ok);
    return ok ? seed : kDefaultSeed;
}

// The bytes a day file must hold: the page the service answers, as the program reads and
// parses it with the default line layout.
QByteArray ExpectedDayFile(const QString& symbol, const QString& dateLabel, int hugeMb) {
    const std::string stk = "frx" + symbol.toStdString();
    const std::string label = dateLabel.toStdString();
    const std::string html =
        hugeMb > 0 ? pellmark::PaddedQuotePageHtml(stk, label, std::size_t(hugeMb) << 20)
                   : pellmark::QuotePageHtml(stk, label);
    const std::string body = pellmark::SerialiseBody(html, "text/html; charset=utf-8");
    const auto lines = pellmark::ParseIntradayPage(body, pellmark::LineOrder::PriceFirst, " - ");
    return QByteArray::fromStdString(pellmark::JoinLines(lines));
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

struct FolderCheck {
    int dayFiles = 0;
    int tempFiles = 0;
    QStringList faults;
};

FolderCheck CheckFolder(const QDir& folder, int hugeMb) {
    FolderCheck check;
    const auto entries =
        folder.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    const QString tempPrefix = QString::fromLatin1(pellmark::kTempFilePrefix);
    for (const QFileInfo& entry : entries) {
        const QString name = entry.fileName();
        if (name.startsWith(tempPrefix)) {
            ++check.tempFiles;
            if (!entry.isHidden())
                check.faults.append(name + ": temporary file not hidden");
            continue;
        }
        const qsizetype hyphen = name.indexOf(u'-');
        const QString symbol = name.left(hyphen);
        if (!entry.isFile() || hyphen < 0 || !name.endsWith(".txt") || !kPairs.contains(symbol)) {
            check.faults.append(name + ": not a day file of the run");
            continue;
        }
        const QString dateLabel = name.mid(hyphen + 1).chopped(4);
        QFile file(entry.filePath());
        if (!file.open(QIODevice::ReadOnly) ||
            file.readAll() != ExpectedDayFile(symbol, dateLabel, hugeMb))
            check.faults.append(name +
                                QString(": %1 bytes, not the day's quotes").arg(entry.size()));
        ++check.dayFiles;
    }
    return check;
}

} // namespace

class TestKillDuringRun : public QObject {
    Q_OBJECT

private slots:
    void killedRunsLeaveOnlyCompleteDayFiles_data() {
        QTest::addColumn<int>("hugeMb");
        QTest::addColumn<int>("runs");
        QTest::addColumn<int>("longestLifeMs");
        QTest::newRow("normal pages") << 0 << 20 << 900;
        QTest::newRow("1 MB pages") << 1 << 10 << 1500;
    }

    void killedRunsLeaveOnlyCompleteDayFiles() {
        QFETCH(int, hugeMb);
        QFETCH(int, runs);
        QFETCH(int, longestLifeMs);
        const quint32 seed = Seed() + static_cast<quint32>(hugeMb);
        qInfo("seed %u (PELLMARK_CRASH_SEED=%u replays it)", seed, Seed());
        QRandomGenerator random(seed);

        LocalService service(hugeMb > 0 ? QStringList{"--huge-mb", QString::number(hugeMb)}
                                        : QStringList{});
        QVERIFY2(service.start(), qPrintable(service.errorString()));
        QTemporaryDir folder;
        QVERIFY(folder.isValid());

        Kills kills;
        for (int run = 0; run < runs; ++run) {
            QProcess driver;
            driver.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            driver.setStandardOutputFile(QProcess::nullDevice());
            driver.start(DriverPath(),
                         {"--proxy", service.proxyUrl(), "--folder", folder.path(), "--pause-ms",
                          QString::number(random.bounded(21)), "--symbols", RotatedPairs(random),
                          "--start", "2005-06-01", "--end", "2005-06-30"});
            QVERIFY2(driver.waitForStarted(), qPrintable(driver.errorString()));
            // The window takes a moment to come up; most kills should fall after that.
            if (driver.waitForFinished(100 + static_cast<int>(random.bounded(longestLifeMs)))) {
                QCOMPARE(driver.exitStatus(), QProcess::NormalExit);
                QCOMPARE(driver.exitCode(), 0);
                ++kills.endedOnTheirOwn;
                continue;
            }
            driver.kill();
            QVERIFY(driver.waitForFinished());
            ++kills.killed;
        }

        const FolderCheck check = CheckFolder(QDir(folder.path()), hugeMb);
        qInfo("%d runs killed, %d over before the kill; %d day files checked, %d temporary "
              "files left behind",
              kills.killed, kills.endedOnTheirOwn, check.dayFiles, check.tempFiles);
        QVERIFY2(check.faults.isEmpty(), qPrintable(check.faults.join(u'\n')));
        QVERIFY2(kills.killed >= runs / 2, "too few runs were still going when killed");
        QVERIFY2(check.dayFiles > 0, "no run got as far as writing a day file");
        QVERIFY(!service.requestLog().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestKillDuringRun)
#include "tst_kill_during_run.moc"
