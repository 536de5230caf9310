// The batch run and the retry in the real window against the local quote service, with the
// pause before each fetch shortened: files on disk, the errors list, the messages, Stop.
#include "FakeMessageBoxes.h"
#include "gui/Gauge.h"
#include "LocalService.h"
#include "ServiceDay.h"
#include "Unit1.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>

#include <memory>

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

class Window {
public:
    Window(const LocalService& service, std::chrono::milliseconds pause = 0ms) {
        TForm1::Seams seams;
        seams.boxes = &boxes;
        seams.fetchPause = pause;
        seams.proxy = service.proxyUrl().toStdString();
        form = std::make_unique<TForm1>(seams);
        child<QLineEdit>("SaveLoad")->setText(folder.path() + "/");
        setRange(kMonday, kTuesday);
    }

    template <typename Widget> Widget* child(const char* name) const {
        auto* widget = form->findChild<Widget*>(name);
        Q_ASSERT(widget);
        return widget;
    }
    void setSymbols(const char* memo, const QString& text) {
        child<QPlainTextEdit>(memo)->setPlainText(text);
    }
    void setRange(QDate start, QDate end) {
        child<QDateEdit>("DatPick")->setDate(start);
        child<QDateEdit>("DatPick2")->setDate(end);
    }
    void download() { QTest::mouseClick(child<QPushButton>("sBitBtn1"), Qt::LeftButton); }
    void retry() { QTest::mouseClick(child<QPushButton>("sButton1"), Qt::LeftButton); }
    QString status() const { return child<QLabel>("StatB")->text(); }
    QString errors() const { return child<QPlainTextEdit>("Bady")->toPlainText(); }
    // Types a line at the end of the errors list with the keys a user would press.
    void typeError(const QString& item) {
        auto* bady = child<QPlainTextEdit>("Bady");
        bady->setFocus();
        QTest::keyClick(bady, Qt::Key_End, Qt::ControlModifier);
        if (!errors().isEmpty() && !errors().endsWith(u'\n'))
            QTest::keyClick(bady, Qt::Key_Return);
        QTest::keyClicks(bady, item);
    }
    void setErrors(const QString& text) { child<QPlainTextEdit>("Bady")->setPlainText(text); }
    QStringList files() const {
        return QDir(folder.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    QByteArray file(const QString& name) const {
        QFile in(folder.filePath(name));
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    }

    FakeMessageBoxes boxes;
    QTemporaryDir folder;
    std::unique_ptr<TForm1> form;
};

} // namespace

class TestDownload : public QObject {
    Q_OBJECT

private slots:
    void defaultRunWritesOneFilePerSymbolDay() {
        LocalService service;
        QVERIFY2(service.start(), qPrintable(service.errorString()));
        Window window(service);
        window.setSymbols("Memo1", "AUDUSD\nEURUSD");
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
        QCOMPARE(window.child<pellmark::Gauge>("PB")->progress(), 0);
        QCOMPARE(window.child<pellmark::Gauge>("PB")->maximum(), 4);
        QCOMPARE(window.errors(), QString());
    }

    void settingsChangedDuringRunApplyToFollowingItems() {
        LocalService service;
        QVERIFY(service.start());
        Window window(service, 100ms);
        window.setSymbols("Memo1", "AUDUSD");
        window.download();
        QTRY_VERIFY(window.status().endsWith("on 6-Jun-05"));
        window.child<QLineEdit>("Sep")->setText(";");
        QTRY_COMPARE_WITH_TIMEOUT(window.status(), QString("Download done."), 20000);
        QVERIFY(window.file("AUDUSD-7-Jun-05.txt").contains(" - 00:05\r\n"));
        QVERIFY(window.file("AUDUSD-6-Jun-05.txt").contains(";00:05\r\n"));
    }

    void refusedBeforeAnythingIsFetched_data() {
        QTest::addColumn<QString>("symbols");
        QTest::addColumn<QDate>("start");
        QTest::addColumn<QDate>("end");
        QTest::addColumn<QString>("warning");
        QTest::newRow("empty memo")
            << "" << kMonday << kTuesday
            << "At least one pair/symbol must be entered to start the download.";
        QTest::newRow("reversed range") << "AUDUSD" << kTuesday << kMonday
                                        << "The Start Date appears to be after the End Range Date.";
    }
    void refusedBeforeAnythingIsFetched() {
        QFETCH(QString, symbols);
        QFETCH(QDate, start);
        QFETCH(QDate, end);
        QFETCH(QString, warning);
        LocalService service;
        QVERIFY(service.start());
        Window window(service);
        window.setSymbols("Memo1", symbols);
        window.setRange(start, end);
        window.download();
        QCOMPARE(window.boxes.texts(Kind::Warning), QStringList{warning});
        QVERIFY(!window.form->Running());
        QTest::qWait(50);
        QVERIFY(service.requestLog().isEmpty());
    }

    void weekendRangeGoesStraightToTheEnd() {
        LocalService service;
        QVERIFY(service.start());
        Window window(service);
        window.setErrors("X-1-Jun-05\n");
        window.setRange(QDate(2005, 6, 4), QDate(2005, 6, 5));
        window.download();
        QTRY_COMPARE(window.status(), QString("Download done."));
        QCOMPARE(window.child<pellmark::Gauge>("PB")->maximum(), 0);
        QCOMPARE(window.boxes.texts(Kind::Warning),
                 QStringList{kWarningHead + "X-1-Jun-05\r\n\r\n\r\n" + kWarningTail});
        QCOMPARE(window.boxes.texts(Kind::Information), QStringList{kDone});
        QVERIFY(service.requestLog().isEmpty());
    }

    void failedItemsAreAppendedAndListed() {
        LocalService service({"--only", "EURUSD", "--no-data-first", "1000"});
        QVERIFY(service.start());
        Window window(service);
        window.setSymbols("Memo1", "AUDUSD\nEURUSD");
        window.setErrors("typed");
        // Someone selecting in the list meanwhile keeps the selection.
        auto* bady = window.child<QPlainTextEdit>("Bady");
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
        // A day that never has data is asked for seven times.
        QCOMPARE(service.requestLog().filter("frxEURUSD&date=7-Jun-05").size(), 7);
    }

    void retryKeepsOnlyWhatStillFails() {
        LocalService service({"--only", "EURUSD", "--no-data-first", "1000"});
        QVERIFY(service.start());
        Window window(service);
        window.setErrors("AUDUSD-6-Jun-05\nEURUSD-7-Jun-05\nno-hyphen-here\ngarbage\n");
        window.retry();
        QTRY_COMPARE_WITH_TIMEOUT(window.status(), QString("Download done."), 20000);

        QCOMPARE(window.errors(), QString("EURUSD-7-Jun-05\nno-hyphen-here\n-garbage\n"));
        QCOMPARE(window.files(), QStringList{"AUDUSD-6-Jun-05.txt"});
        QCOMPARE(window.file("AUDUSD-6-Jun-05.txt"), ExpectedDayBytes("frxAUDUSD", "6-Jun-05"));
        QCOMPARE(window.boxes.texts(Kind::Warning),
                 QStringList{kWarningHead +
                             "EURUSD-7-Jun-05\r\nno-hyphen-here\r\n-garbage\r\n\r\n\r\n" +
                             kWarningTail});
        QVERIFY(service.requestLog().filter("stk=frx&date=garbage").size() == 7);
    }

    void retryWithNothingListedWarns() {
        LocalService service;
        QVERIFY(service.start());
        Window window(service);
        window.setErrors("");
        window.retry();
        QCOMPARE(window.boxes.texts(Kind::Warning),
                 QStringList{"There are no \"errors\" to download."});
    }

    void unwritableFolderStopsTheRun() {
        LocalService service({"--only", "7-Jun-05", "--no-data-first", "1000"});
        QVERIFY(service.start());
        Window window(service);
        window.setSymbols("Memo1", "AUDUSD\nEURUSD");
        const QString missing = window.folder.path() + "/missing/";
        window.child<QLineEdit>("SaveLoad")->setText(missing);
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
        QCOMPARE(service.requestLog().size(), 8);
        QVERIFY(window.boxes.texts(Kind::Information).isEmpty());

        // The gauge keeps the day it stopped at, and starts again from 0 with the next run.
        auto* gauge = window.child<pellmark::Gauge>("PB");
        QCOMPARE(gauge->progress(), 1);
        window.child<QLineEdit>("SaveLoad")->setText(window.folder.path() + "/");
        window.setSymbols("Memo1", "AUDUSD");
        window.download();
        QCOMPARE(gauge->maximum(), 2);
        QCOMPARE(gauge->progress(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(window.status(), QString("Download done."), 20000);
    }

    void symbolThatWouldLeaveTheFolderIsRefused() {
        LocalService service({"--any-symbol"});
        QVERIFY(service.start());
        Window window(service);
        QDir(window.folder.path()).mkdir("inside");
        window.child<QLineEdit>("SaveLoad")->setText(window.folder.path() + "/inside/");
        window.child<QCheckBox>("Stocks")->click();
        window.setSymbols("Memo2", "../USAMSFT");
        window.setRange(kMonday, kMonday);
        window.download();
        QTRY_COMPARE_WITH_TIMEOUT(window.boxes.texts(Kind::ErrorReport).size(), 1, 20000);
        QVERIFY(window.boxes.texts(Kind::ErrorReport).first().contains("cannot name a file"));
        QCOMPARE(window.files(), QStringList());
        QCOMPARE(QDir(window.folder.filePath("inside")).entryList(QDir::Files | QDir::Hidden),
                 QStringList());
    }

    void stopListsWhatIsLeftAndRetryResumes() {
        LocalService service;
        QVERIFY(service.start());
        Window window(service, 600ms);
        window.setSymbols("Memo1", "AUDUSD\nEURUSD");
        window.form->show();
        QVERIFY(QTest::qWaitForWindowActive(window.form.get()));
        QTest::keyClick(window.form.get(), Qt::Key_D, Qt::AltModifier);
        QTRY_VERIFY(window.form->Running()); // a key clicks the button after a short flash
        window.download(); // the second click of a double-click does not stop the run
        QCOMPARE(window.child<QPushButton>("sBitBtn1")->text(), QString("&Stop"));
        QVERIFY(!window.child<QPushButton>("sButton1")->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(window.status(),
                                  QString("Downloading Historical for AUDUSD on 6-Jun-05"), 10000);
        QVERIFY(QApplication::doubleClickInterval() < 600); // the second day starts later
        // Alt+D started the run and stops it too, though the button now reads "&Stop".
        QTest::keyClick(window.form.get(), Qt::Key_D, Qt::AltModifier);

        QCOMPARE(window.status(), QString("Download stopped."));
        QCOMPARE(window.errors(), QString("AUDUSD-6-Jun-05\nEURUSD-7-Jun-05\nEURUSD-6-Jun-05\n"));
        QCOMPARE(window.files(), QStringList{"AUDUSD-7-Jun-05.txt"});
        QCOMPARE(window.child<QPushButton>("sBitBtn1")->text(), QString("&Download"));
        QCOMPARE(window.child<pellmark::Gauge>("PB")->progress(), 0);
        QTest::qWait(300);
        QCOMPARE(window.files().size(), 1);
        window.typeError("USDJPY-7-Jun-05");
        QCOMPARE(window.errors(),
                 QString("AUDUSD-6-Jun-05\nEURUSD-7-Jun-05\nEURUSD-6-Jun-05\nUSDJPY-7-Jun-05"));

        window.retry();
        QVERIFY(window.child<QPlainTextEdit>("Bady")->isReadOnly());
        QTRY_COMPARE_WITH_TIMEOUT(window.status(), QString("Download done."), 20000);
        QCOMPARE(window.errors(), QString());
        QCOMPARE(window.files().size(), 5);
        QVERIFY(!window.child<QPlainTextEdit>("Bady")->isReadOnly());
        window.typeError("AUDUSD-8-Jun-05");
        QCOMPARE(window.errors(), QString("AUDUSD-8-Jun-05"));
    }

    void stoppingARetryKeepsUntriedItems() {
        LocalService service({"--only", "EURUSD", "--no-data-first", "1000"});
        QVERIFY(service.start());
        Window window(service, 150ms);
        window.setErrors("EURUSD-7-Jun-05\nAUDUSD-7-Jun-05\nAUDUSD-6-Jun-05\n");
        window.retry();
        QTRY_COMPARE_WITH_TIMEOUT(window.status(),
                                  QString("Downloading Historical for AUDUSD on 7-Jun-05"), 20000);
        window.download();
        QCOMPARE(window.errors(), QString("EURUSD-7-Jun-05\nAUDUSD-7-Jun-05\nAUDUSD-6-Jun-05\n"));
        QCOMPARE(window.status(), QString("Download stopped."));
    }

    void closingDuringARunStopsIt() {
        LocalService service;
        QVERIFY(service.start());
        Window window(service, 200ms);
        window.setSymbols("Memo1", "AUDUSD\nEURUSD");
        window.form->show();
        window.download();
        QTRY_VERIFY(window.status().startsWith("Downloading"));
        QVERIFY(window.form->close());
        QVERIFY(!window.form->Running());
        QTest::qWait(400);
        QCOMPARE(window.files(), QStringList());
        QVERIFY(service.requestLog().isEmpty());
    }
};

QTEST_MAIN(TestDownload)
#include "tst_download.moc"
