// The window and a nightly pellmark-batch --update of the same save folder never write at once:
// whichever comes second fetches nothing and says so its own way, the window in a warning box,
// the command with exit status 5.
#include "LocalService.h"
#include "ServiceDay.h"
#include "WindowDriver.h"

#include <QProcess>
#include <QTest>

#include <csignal>

using namespace std::chrono_literals;
using Kind = FakeMessageBoxes::Kind;

namespace {

// One pair, a save folder holding a day an update goes on from, and the day after it.
struct Window : WindowDriver {
    Window() {
        QFile day(saveFolder() + "AUDUSD-6-Jun-05.txt");
        if (day.open(QIODevice::WriteOnly))
            day.write(ExpectedDayBytes("frxAUDUSD", "6-Jun-05"));
        setSymbols("Forex", "AUDUSD");
        setRange(QDate(2005, 6, 7), QDate(2005, 6, 7));
    }
    QString busy() const {
        return saveFolder() + " is being updated by another run: nothing fetched";
    }
};

QProcess* Update(const QString& folder, const QString& proxyUrl) {
    auto* batch = new QProcess;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("http_proxy", proxyUrl);
    batch->setProcessEnvironment(environment);
    batch->start(PELLMARK_BATCH_PATH, {"--update", folder, "--to", "2005-06-08"});
    return batch;
}

} // namespace

class TestFolderLock : public QObject {
    Q_OBJECT

private slots:
    void windowFirstTheUpdateEndsAtOnce() {
        Window window;
        window.fake.delay = 1min;
        window.download();
        QTRY_COMPARE(window.fake.requests.size(), 1);
        std::unique_ptr<QProcess> batch(Update(window.saveFolder(), "http://127.0.0.1:9"));
        QVERIFY(batch->waitForFinished(30000));
        QCOMPARE(batch->exitCode(), 5);
        QCOMPARE(QString::fromUtf8(batch->readAllStandardError()),
                 "pellmark-batch: " + window.busy() + "\n");
        QCOMPARE(window.files(), QStringList{"AUDUSD-6-Jun-05.txt"});
    }

    void updateFirstTheWindowRefuses() {
        LocalService service({"--delay-ms", "60000"});
        QVERIFY(service.start());
        Window window;
        std::unique_ptr<QProcess> batch(Update(window.saveFolder(), service.proxyUrl()));
        // Asking for its first day, the update holds the folder.
        QTRY_COMPARE_WITH_TIMEOUT(service.requestLog().size(), 1, 10000);
        window.download();
        QCOMPARE(window.boxes.texts(Kind::Warning), QStringList{window.busy()});
        QVERIFY(window.waitUntilIdle(1000));
        QCOMPARE(window.fake.requests, QStringList{});
        QCOMPARE(window.files(), QStringList{"AUDUSD-6-Jun-05.txt"});
        ::kill(static_cast<pid_t>(batch->processId()), SIGTERM);
        QVERIFY(batch->waitForFinished(10000));
        // Once the update has let the folder go, the window's run goes ahead.
        window.download();
        QVERIFY(window.waitUntilIdle(10000));
        QCOMPARE(window.fake.requests, QStringList{"AUDUSD-7-Jun-05"});
    }
};

QTEST_MAIN(TestFolderLock)
#include "tst_folderlock.moc"
