// The batch run and the retry in the real window: files on disk, the errors list, the
// messages, Stop; on the fake fetcher, and end to end against the local quote service with
// the pause before each fetch shortened.
#include "gui/Gauge.h"
#include "LocalService.h"
#include "ServiceDay.h"
#include "WindowDriver.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextCursor>

using namespace std::chrono_literals;
using Kind = FakeMessageBoxes::Kind;

namespace {

// Monday 6 and Tuesday 7 June 2005.
const QDate kMonday(2005, 6, 6);
const QDate kTuesday(2005, 6, 7);
const QString kDone = "Historical Data Download Done!";
const QString kWarningHead = "The Following Currency Pair/Date were not downloaded because of VORN "
                             "server either not answering or returning an empty file:\r\n\r\n";
const QString kWarningTail = "Please make note of it and redownload the missing Dates later.";

const pellmark::FetchResult kNoData{{}, pellmark::kMostFetchesPerDay};

// The range set to Monday and Tuesday; days from the fake fetcher unless a service is given.
struct Window : WindowDriver {
    Window() { setRange(kMonday, kTuesday); }
    explicit Window(const LocalService& service, std::chrono::milliseconds pause = 0ms)
        : WindowDriver(ServiceRoute{service.proxyUrl(), pause}) {
        setRange(kMonday, kTuesday);
    }
    void noDataFor(const QStringList& days) {
        for (const QString& day : days)
            fake.script[day] = kNoData;
    }
};

} // namespace

class TestDownload : public QObject {
    Q_OBJECT

private slots:
    void defaultRunWritesOneFilePerSymbolDay() {
        LocalService service;
        QVERIFY2(service.start(), qPrintable(service.errorString()));
        Window window(service);
        window.setSymbols("Forex", "AUDUSD\nEURUSD");
        window.download();
        QTRY_COMPARE_WITH_TIMEOUT(window.status(), QString("Download done."), 20000);

        QCOMPARE(window.files(), QStringList({"AUDUSD-6-Jun-05.txt", "AUDUSD-7-Jun-05.txt",
                                              "EURUSD-6-Jun-05.txt", "EURUSD-7-Jun-05.txt"}));
        for (const char* symbol : {"AUDUSD", "EURUSD"}) {
            for (const char* date : {"6-Jun-05", "7-Jun-05"}) {
                const QByteArray bytes = window.file(QString("%1-%2.txt").arg(symbol, date));
                QCOMPARE(bytes, ExpectedDayBytes(std::string("frx") + symbol, date));
                QVERIFY(bytes.startsWith("0.") || bytes.startsWith("1."));
                QVERIFY(bytes.contains(" - 00:05\r\n"));
            }
        }
        // Newest day first, symbol by symbol.
        const QStringList log = service.requestLog();
        QCOMPARE(log.size(), 4);
        QVERIFY(log[0].endsWith("stk=frxAUDUSD&date=7-Jun-05"));
        QVERIFY(log[1].endsWith("stk=frxAUDUSD&date=6-Jun-05"));
        QVERIFY(log[2].endsWith("stk=frxEURUSD&date=7-Jun-05"));
        QCOMPARE(window.boxes.texts(Kind::Information), QStringList{kDone});
        QVERIFY(window.boxes.texts(Kind::Warning).isEmpty());
        QCOMPARE(window.child<pellmark::Gauge>("gauge")->progress(), 0);
        QCOMPARE(window.child<pellmark::Gauge>("gauge")->maximum(), 4);
        QCOMPARE(window.errors(), QString());
    }

    // The category is read as a day starts, the separator as its page is read.
    void settingsChangedDuringRunApplyToFollowingItems() {
        LocalService service({"--any-symbol"});
        QVERIFY(service.start());
        Window window(service, 100ms);
        window.setSymbols("Forex", "AUDUSD");
        window.download();
        QTRY_VERIFY(window.status().endsWith("on 7-Jun-05"));
        window.child<QCheckBox>("Stocks")->click();
        QTRY_VERIFY(window.status().endsWith("on 6-Jun-05"));
        window.child<QLineEdit>("separatorField")->setText(";");
        QTRY_COMPARE_WITH_TIMEOUT(window.status(), QString("Download done."), 20000);
        QVERIFY(window.file("AUDUSD-7-Jun-05.txt").contains(" - 00:05\r\n"));
        // Asked as a stock, the service's any-symbol answer.
        QCOMPARE(window.file("AUDUSD-6-Jun-05.txt"),
                 ExpectedDayBytes("USAMSFT", "6-Jun-05", pellmark::LineOrder::PriceFirst, ";"));
        QCOMPARE(service.requestLog().size(), 2);
        QVERIFY(service.requestLog().at(0).endsWith("stk=frxAUDUSD&date=7-Jun-05"));
        QVERIFY(service.requestLog().at(1).endsWith("stk=AUDUSD&date=6-Jun-05"));
    }

    void refusedBeforeAnythingIsFetched_data() {
        QTest::addColumn<QString>("symbols");
        QTest::addColumn<QDate>("start");
        QTest::addColumn<QDate>("end");
        QTest::addColumn<QString>("warning");
        QTest::newRow("empty memo")
            << "" << kMonday << kTuesday
            << "At least one pair/symbol must be entered to start the download.";
        QTest::newRow("blank lines only")
            << "\n  \n\t" << kMonday << kTuesday
            << "At least one pair/symbol must be entered to start the download.";
        QTest::newRow("reversed range") << "AUDUSD" << kTuesday << kMonday
                                        << "The Start Date appears to be after the End Range Date.";
    }
    void refusedBeforeAnythingIsFetched() {
        QFETCH(QString, symbols);
        QFETCH(QDate, start);
        QFETCH(QDate, end);
        QFETCH(QString, warning);
        Window window;
        window.setSymbols("Forex", symbols);
        window.setRange(start, end);
        window.download();
        QCOMPARE(window.boxes.texts(Kind::Warning), QStringList{warning});
        QVERIFY(!window.form->Running());
        QTest::qWait(50);
        QVERIFY(window.fake.requests.isEmpty());
    }

    void weekendRangeGoesStraightToTheEnd() {
        Window window;
        window.setErrors("X-1-Jun-05\n");
        window.setRange(QDate(2005, 6, 4), QDate(2005, 6, 5));
        window.download();
        QTRY_COMPARE(window.status(), QString("Download done."));
        QCOMPARE(window.child<pellmark::Gauge>("gauge")->maximum(), 0);
        QCOMPARE(window.boxes.texts(Kind::Warning),
                 QStringList{kWarningHead + "X-1-Jun-05\r\n\r\n\r\n" + kWarningTail});
        QCOMPARE(window.boxes.texts(Kind::Information), QStringList{kDone});
        QVERIFY(window.fake.requests.isEmpty());
    }

    void failedItemsAreAppendedAndListed() {
        Window window;
        window.noDataFor({"EURUSD-7-Jun-05", "EURUSD-6-Jun-05"});
        window.setSymbols("Forex", "AUDUSD\n \nEURUSD\n");
        window.setErrors("typed");
        // Someone selecting in the list meanwhile keeps the selection.
        auto* bady = window.child<QPlainTextEdit>("errorsList");
        QTextCursor selection = bady->textCursor();
        selection.setPosition(1);
        selection.setPosition(3, QTextCursor::KeepAnchor);
        bady->setTextCursor(selection);
        window.download();
        QTRY_COMPARE_WITH_TIMEOUT(window.status(), QString("Download done."), 20000);

        // After a line typed without a break, each item comes on a new line with none after it.
        QCOMPARE(window.errors(), QString("typed\nEURUSD-7-Jun-05\nEURUSD-6-Jun-05"));
        QCOMPARE(bady->textCursor().anchor(), 1);
        QCOMPARE(bady->textCursor().position(), 3);
        window.typeError("AUDUSD-8-Jun-05");
        QCOMPARE(window.errors(),
                 QString("typed\nEURUSD-7-Jun-05\nEURUSD-6-Jun-05\nAUDUSD-8-Jun-05"));
        QCOMPARE(window.boxes.texts(Kind::Warning),
                 QStringList{kWarningHead + "typed\r\nEURUSD-7-Jun-05\r\nEURUSD-6-Jun-05\r\n\r\n" +
                             kWarningTail});
        QCOMPARE(window.files(), QStringList({"AUDUSD-6-Jun-05.txt", "AUDUSD-7-Jun-05.txt"}));
        QCOMPARE(window.fake.requests.size(), 4);
    }

    void retryKeepsOnlyWhatStillFails() {
        Window window;
        window.noDataFor({"EURUSD-7-Jun-05"});
        window.setErrors(
            "AUDUSD-6-Jun-05\n\nEURUSD-7-Jun-05\nno-hyphen-here\nX-31-Feb-05\ngarbage\n");
        QList<int> gaugeAtBoxes;
        window.boxes.onShown = [&](const FakeMessageBoxes::Box&) {
            gaugeAtBoxes << window.child<pellmark::Gauge>("gauge")->percent();
        };
        window.retry();
        QTRY_COMPARE_WITH_TIMEOUT(window.status(), QString("Download done."), 20000);

        // Lines that name no day are the user's own: kept as typed and never asked for.
        const QString left = "\nEURUSD-7-Jun-05\nno-hyphen-here\nX-31-Feb-05\ngarbage\n";
        QCOMPARE(window.errors(), left);
        QCOMPARE(window.files(), QStringList{"AUDUSD-6-Jun-05.txt"});
        QCOMPARE(window.file("AUDUSD-6-Jun-05.txt"), ExpectedDayBytes("frxAUDUSD", "6-Jun-05"));
        QCOMPARE(window.boxes.texts(Kind::Warning),
                 QStringList{kWarningHead + QString(left).replace("\n", "\r\n") + "\r\n\r\n" +
                             kWarningTail});
        QCOMPARE(window.fake.requests, QStringList({"AUDUSD-6-Jun-05", "EURUSD-7-Jun-05"}));
        QCOMPARE(window.child<pellmark::Gauge>("gauge")->maximum(), 2);
        QCOMPARE(gaugeAtBoxes, QList<int>({100, 100}));
        QCOMPARE(window.child<pellmark::Gauge>("gauge")->progress(), 0);
    }

    void retryWithNothingListedWarns() {
        Window window;
        window.setErrors("");
        window.retry();
        QCOMPARE(window.boxes.texts(Kind::Warning),
                 QStringList{"There are no \"errors\" to download."});
    }

    void unwritableFolderStopsTheRun() {
        Window window;
        window.noDataFor({"AUDUSD-7-Jun-05", "EURUSD-7-Jun-05"});
        window.setSymbols("Forex", "AUDUSD\nEURUSD");
        const QString missing = window.saveFolder() + "missing/";
        window.child<QLineEdit>("saveFolderField")->setText(missing);
        window.download();
        QTRY_COMPARE_WITH_TIMEOUT(window.boxes.texts(Kind::ErrorReport).size(), 1, 20000);

        QCOMPARE(window.boxes.texts(Kind::ErrorReport).first(),
                 "Cannot create file \"" + missing +
                     "AUDUSD-6-Jun-05.txt\". No such file or directory.");
        QVERIFY(!window.form->Running());
        // The failing day and every later one are listed, so Download Errors resumes the run.
        QCOMPARE(window.errors(),
                 QString("AUDUSD-7-Jun-05\nAUDUSD-6-Jun-05\nEURUSD-7-Jun-05\nEURUSD-6-Jun-05\n"));
        QCOMPARE(window.status(), QString("Downloading Historical for AUDUSD on 6-Jun-05"));
        QTest::qWait(100);
        QCOMPARE(window.fake.requests.size(), 2);
        QVERIFY(window.boxes.texts(Kind::Information).isEmpty());

        // The gauge keeps the day it stopped at, and starts again from 0 with the next run.
        auto* gauge = window.child<pellmark::Gauge>("gauge");
        QCOMPARE(gauge->progress(), 1);
        window.setSaveFolderText(window.saveFolder());
        window.setSymbols("Forex", "AUDUSD");
        window.download();
        QCOMPARE(gauge->maximum(), 2);
        QCOMPARE(gauge->progress(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(window.status(), QString("Download done."), 20000);
    }

    void symbolThatWouldLeaveTheFolderIsRefused() {
        Window window;
        window.setSymbols("Stocks", "../USAMSFT");
        window.setRange(kMonday, kMonday);
        window.download();
        QTRY_COMPARE_WITH_TIMEOUT(window.boxes.texts(Kind::ErrorReport).size(), 1, 20000);
        QVERIFY(window.boxes.texts(Kind::ErrorReport).first().contains("cannot name a file"));
        QCOMPARE(window.files(), QStringList());
        QCOMPARE(window.strays(), QStringList());
    }

    void stopListsWhatIsLeftAndRetryResumes() {
        Window window;
        window.fake.delay = 600ms;
        window.setSymbols("Forex", "AUDUSD\nEURUSD");
        window.form->show();
        QVERIFY(QTest::qWaitForWindowActive(window.form.get()));
        QTest::keyClick(window.form.get(), Qt::Key_D, Qt::AltModifier);
        QTRY_VERIFY(window.form->Running()); // a key clicks the button after a short flash
        window.download(); // the second click of a double-click does not stop the run
        QCOMPARE(window.child<QPushButton>("downloadButton")->text(), QString("&Stop"));
        QVERIFY(!window.child<QPushButton>("downloadErrorsButton")->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(window.status(),
                                  QString("Downloading Historical for AUDUSD on 6-Jun-05"), 10000);
        QVERIFY(QApplication::doubleClickInterval() < 600); // the second day starts later
        // Alt+D started the run and stops it too, though the button now reads "&Stop".
        QTest::keyClick(window.form.get(), Qt::Key_D, Qt::AltModifier);

        QCOMPARE(window.status(), QString("Download stopped."));
        QCOMPARE(window.errors(), QString("AUDUSD-6-Jun-05\nEURUSD-7-Jun-05\nEURUSD-6-Jun-05\n"));
        QCOMPARE(window.files(), QStringList{"AUDUSD-7-Jun-05.txt"});
        QCOMPARE(window.child<QPushButton>("downloadButton")->text(), QString("&Download"));
        QCOMPARE(window.child<pellmark::Gauge>("gauge")->progress(), 0);
        QTest::qWait(300);
        QCOMPARE(window.files().size(), 1);
        window.typeError("USDJPY-7-Jun-05");
        QCOMPARE(window.errors(),
                 QString("AUDUSD-6-Jun-05\nEURUSD-7-Jun-05\nEURUSD-6-Jun-05\nUSDJPY-7-Jun-05"));

        window.retry();
        QVERIFY(window.child<QPlainTextEdit>("errorsList")->isReadOnly());
        QTRY_COMPARE_WITH_TIMEOUT(window.status(), QString("Download done."), 20000);
        QCOMPARE(window.errors(), QString());
        QCOMPARE(window.files().size(), 5);
        QVERIFY(!window.child<QPlainTextEdit>("errorsList")->isReadOnly());
        window.typeError("AUDUSD-8-Jun-05");
        QCOMPARE(window.errors(), QString("AUDUSD-8-Jun-05"));
    }

    void stoppingARetryKeepsUntriedItems() {
        Window window;
        window.fake.delay = 600ms; // the first day outlasts a double-click
        window.noDataFor({"EURUSD-7-Jun-05"});
        window.setErrors("EURUSD-7-Jun-05\nAUDUSD-7-Jun-05\nAUDUSD-6-Jun-05\n");
        window.retry();
        QTRY_COMPARE_WITH_TIMEOUT(window.status(),
                                  QString("Downloading Historical for AUDUSD on 7-Jun-05"), 20000);
        window.download();
        QCOMPARE(window.errors(), QString("EURUSD-7-Jun-05\nAUDUSD-7-Jun-05\nAUDUSD-6-Jun-05\n"));
        QCOMPARE(window.status(), QString("Download stopped."));
    }

    void closingDuringARunStopsIt() {
        Window window;
        window.fake.delay = 200ms;
        window.setSymbols("Forex", "AUDUSD\nEURUSD");
        window.form->show();
        window.download();
        QTRY_VERIFY(window.status().startsWith("Downloading"));
        QSignalSpy answered(&window.fake, &pellmark::DayFetcher::finished);
        QVERIFY(window.form->close());
        QVERIFY(!window.form->Running());
        QTest::qWait(400);
        QCOMPARE(window.files(), QStringList());
        QCOMPARE(answered.count(), 0);
    }
};

QTEST_MAIN(TestDownload)
#include "tst_download.moc"
