// Odd text in every field the user can type into: symbols, the errors list, the separator and
// the save folder. Each case ends with a message or a listed item, writes nothing outside the
// save folder, and leaves the window able to run a normal download afterwards. What goes into
// the form or the layout of the lines is checked against the local service; the rest runs on
// the fake fetcher.
#include "HardeningRig.h"
#include "LocalService.h"

#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QTest>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

using Kind = FakeMessageBoxes::Kind;
using pellmark::LineOrder;

namespace {

enum class Outcome { Written, Refused, Listed };

constexpr int kRunLimitMs = 20000;
const QString kNoSymbols = "At least one pair/symbol must be entered to start the download.";
const QString kNoErrors = "There are no \"errors\" to download.";
const QString kNoFileName = "The symbol or date cannot name a file in the save folder.";

// The body the service must have received for a stock symbol on the Monday.
QString FormBody(const QString& encodedSymbol) {
    return "w=CR&l=GB&stk=" + encodedSymbol + "&date=" + kMondayLabel;
}

QString LoggedBody(const QString& logLine) {
    return logLine.section(u'\t', 5, 5);
}

// Root writes into read-only folders through CAP_DAC_OVERRIDE. Dropping it from the calling
// thread's effective set for a while makes the permission bits count, as for any user.
class WithoutOverridingPermissions {
public:
    WithoutOverridingPermissions() {
        header_.version = _LINUX_CAPABILITY_VERSION_3;
        if (::syscall(SYS_capget, &header_, saved_) != 0)
            return;
        __user_cap_data_struct lowered[2] = {saved_[0], saved_[1]};
        lowered[0].effective &= ~(1u << CAP_DAC_OVERRIDE | 1u << CAP_FOWNER);
        lowered_ = ::syscall(SYS_capset, &header_, lowered) == 0;
    }
    ~WithoutOverridingPermissions() {
        if (lowered_)
            ::syscall(SYS_capset, &header_, saved_);
    }
    WithoutOverridingPermissions(const WithoutOverridingPermissions&) = delete;
    WithoutOverridingPermissions& operator=(const WithoutOverridingPermissions&) = delete;

private:
    __user_cap_header_struct header_{};
    __user_cap_data_struct saved_[2]{};
    bool lowered_ = false;
};

bool CanCreateFileIn(const QString& folder) {
    QFile probe(folder + "probe");
    const bool created = probe.open(QIODevice::WriteOnly);
    if (created)
        probe.remove();
    return created;
}

} // namespace

Q_DECLARE_METATYPE(Outcome)

class TestBadInput : public QObject {
    Q_OBJECT

private slots:
    // Each symbol goes once through the symbol memo and once as a typed item of the errors list.
    void oddSymbol_data() {
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<QString>("encoded"); // as the form body must carry it
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<QString>("message"); // part of the error report or the warning

        const auto written = Outcome::Written;
        const auto refused = Outcome::Refused;
        QTest::newRow("space") << "A B"
                               << "A+B" << written << QString();
        QTest::newRow("ampersand") << "A&B"
                                   << "A%26B" << written << QString();
        QTest::newRow("equals sign") << "A=B"
                                     << "A%3DB" << written << QString();
        QTest::newRow("percent sign") << "A%B"
                                      << "A%25B" << written << QString();
        QTest::newRow("non-ASCII") << "ÄÖÜ€"
                                   << "%C3%84%C3%96%C3%9C%E2%82%AC" << written << QString();
        QTest::newRow("slash") << "A/B"
                               << "A%2FB" << refused << kNoFileName;
        QTest::newRow("dots inside") << "A..B"
                                     << "A..B" << written << QString();
        QTest::newRow("climbing path") << "../../x"
                                       << "..%2F..%2Fx" << refused << kNoFileName;
        QTest::newRow("300 characters")
            << QString(300, u'X') << QString(300, u'X') << refused << "File name too long";
        // The service refuses a form this long (413) before it logs it: no data for the day.
        QTest::newRow("10,000 characters")
            << QString(10000, u'X') << QString() << Outcome::Listed << QString();
    }

    void oddSymbol() {
        QFETCH(QString, symbol);
        QFETCH(QString, encoded);
        QFETCH(Outcome, outcome);
        QFETCH(QString, message);

        LocalService service({"--any-symbol"});
        QVERIFY2(service.start(), qPrintable(service.errorString()));
        Rig rig(service.proxyUrl());
        const QString item = symbol + "-" + kMondayLabel;
        const QString dayFile = item + ".txt";
        rig.setSymbols("Stocks", symbol);

        rig.download();
        QVERIFY(rig.waitUntilIdle(kRunLimitMs));
        if (outcome != Outcome::Listed)
            QCOMPARE(LoggedBody(service.requestLog().value(0)), FormBody(encoded));
        expectOutcome(rig, outcome, dayFile, message, 1);
        if (QTest::currentTestFailed())
            return;

        QFile::remove(rig.saveFolder() + dayFile);
        rig.setErrors(item + "\n");
        rig.retry();
        QVERIFY(rig.waitUntilIdle(kRunLimitMs));
        if (outcome != Outcome::Listed)
            QCOMPARE(LoggedBody(service.requestLog().value(1)), FormBody(encoded));
        expectOutcome(rig, outcome, dayFile, message, 2);
        if (QTest::currentTestFailed())
            return;
        // A retry that ends early keeps the list it started with.
        QCOMPARE(rig.errors(), outcome == Outcome::Written ? QString() : item + "\n");

        QVERIFY(rig.normalDownloadWorks());
    }

    // Blank lines are neither symbols nor items.
    void emptyListsAreRefused() {
        Rig rig;
        rig.setSymbols("Stocks", " \n\n");
        rig.download();
        rig.setErrors("\n \n");
        rig.retry();
        QCOMPARE(rig.boxes.texts(Kind::Warning), QStringList({kNoSymbols, kNoErrors}));
        QVERIFY(!rig.form->Running());
        QVERIFY(rig.fake.requests.isEmpty());
        QVERIFY(rig.normalDownloadWorks());
    }

    // A typed item whose date is not a day is not asked for and stays as typed.
    void oddDateInTheErrorsList_data() {
        QTest::addColumn<QString>("item");
        QTest::newRow("not a date") << "AUDUSD-31-Feb-05";
        QTest::newRow("climbing date") << "AUDUSD-../../6-Jun-05";
        QTest::newRow("non-ASCII date") << "AUDUSD-6-Jün-05";
    }

    void oddDateInTheErrorsList() {
        QFETCH(QString, item);
        Rig rig;
        rig.setSymbols("Forex", "AUDUSD");
        rig.setErrors(item + "\n");
        rig.retry();
        QVERIFY(rig.waitUntilIdle(kRunLimitMs));
        QCOMPARE(rig.errors(), item + "\n");
        QCOMPARE(rig.files(), QStringList());
        QCOMPARE(rig.strays(), QStringList());
        QVERIFY(rig.normalDownloadWorks());
    }

    void separator_data() {
        QTest::addColumn<QString>("separator");
        QTest::addColumn<LineOrder>("order");
        QTest::newRow("tab, bar, percent") << "\t|%" << LineOrder::PriceFirst;
        QTest::newRow("euro sign, time first") << "€" << LineOrder::TimeFirst;
        QTest::newRow("empty") << "" << LineOrder::PriceFirst;
        QTest::newRow("three spaces, time first") << "   " << LineOrder::TimeFirst;
    }

    void separator() {
        QFETCH(QString, separator);
        QFETCH(LineOrder, order);
        LocalService service;
        QVERIFY(service.start());
        Rig rig(service.proxyUrl());
        rig.setSymbols("Forex", "AUDUSD");
        rig.setLayout(order, separator);
        rig.download();
        QVERIFY(rig.waitUntilIdle(kRunLimitMs));

        const QString dayFile = "AUDUSD-" + kMondayLabel + ".txt";
        QCOMPARE(rig.files(), QStringList{dayFile});
        QCOMPARE(rig.file(dayFile), ExpectedDayBytes("frxAUDUSD", kMondayLabel, order, separator));
        QCOMPARE(rig.junkLines(order, separator), QStringList());
        QVERIFY(rig.normalDownloadWorks());
    }

    void unusableSaveFolder_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << "missing"
                                 << "No such file or directory.";
        QTest::newRow("a file") << "file"
                                << "Not a directory.";
        QTest::newRow("read-only") << "read-only"
                                   << "Permission denied.";
    }

    void unusableSaveFolder() {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        Rig rig;
        rig.setSymbols("Forex", "AUDUSD");
        QString folder = rig.saveFolder();
        if (kind == "missing") {
            folder += "missing/";
        } else if (kind == "file") {
            QFile plain(folder + "plain");
            QVERIFY(plain.open(QIODevice::WriteOnly));
            folder += "plain/";
        } else {
            folder += "locked/";
            QVERIFY(QDir().mkdir(folder));
            QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        }
        rig.setSaveFolderText(folder);
        {
            const WithoutOverridingPermissions asAnyUser;
            if (kind == "read-only" && CanCreateFileIn(folder))
                QSKIP("this process may write into a read-only folder");
            rig.download();
            QVERIFY(rig.waitUntilIdle(kRunLimitMs));
        }
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        QCOMPARE(rig.boxes.texts(Kind::ErrorReport),
                 QStringList{"Cannot create file \"" + folder + "AUDUSD-" + kMondayLabel +
                             ".txt\". " + reason});
        QCOMPARE(QDir(rig.saveFolder()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
                 kind == "file" ? QStringList{"plain"} : QStringList());
        if (kind != "file")
            QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList());
        QCOMPARE(rig.strays(), QStringList());
        QVERIFY(rig.normalDownloadWorks());
    }

    // The folder field is filled with a trailing separator, but the user may type over it.
    void saveFolderAsTyped_data() {
        QTest::addColumn<bool>("empty");
        QTest::newRow("without the trailing separator") << false;
        QTest::newRow("empty") << true;
    }

    void saveFolderAsTyped() {
        QFETCH(bool, empty);
        Rig rig;
        rig.setSymbols("Forex", "AUDUSD");
        rig.setSaveFolderText(empty ? QString() : rig.saveFolder().chopped(1));
        rig.download();
        QVERIFY(rig.waitUntilIdle(kRunLimitMs));

        QCOMPARE(rig.strays(), QStringList());
        // A folder typed without its separator is still that folder; no folder is an error.
        QCOMPARE(rig.files(),
                 empty ? QStringList() : QStringList{"AUDUSD-" + kMondayLabel + ".txt"});
        QCOMPARE(rig.boxes.texts(Kind::ErrorReport).size(), empty ? 1 : 0);
        QVERIFY(rig.normalDownloadWorks());
    }

private:
    // One run's end: the day file with the service's quotes, or the error report or warning
    // and nothing written; never a stray file or a half-written one.
    void expectOutcome(const Rig& rig, Outcome outcome, const QString& dayFile,
                       const QString& message, int runs) {
        QCOMPARE(rig.strays(), QStringList());
        QCOMPARE(rig.junkLines(LineOrder::PriceFirst, " - "), QStringList());
        switch (outcome) {
        case Outcome::Written:
            QCOMPARE(rig.files(), QStringList{dayFile});
            QCOMPARE(rig.file(dayFile), ExpectedDayBytes("USAMSFT", kMondayLabel));
            QCOMPARE(rig.boxes.texts(Kind::Information).size(), runs);
            QVERIFY(rig.boxes.texts(Kind::ErrorReport).isEmpty());
            break;
        case Outcome::Listed:
            QCOMPARE(rig.files(), QStringList());
            QCOMPARE(rig.errors(), dayFile.chopped(4) + "\n");
            QCOMPARE(rig.boxes.texts(Kind::Information).size(), runs);
            break;
        case Outcome::Refused:
            QCOMPARE(rig.files(), QStringList());
            QCOMPARE(rig.boxes.texts(Kind::ErrorReport).size(), runs);
            QVERIFY2(rig.boxes.texts(Kind::ErrorReport).last().contains(message),
                     qPrintable(rig.boxes.texts(Kind::ErrorReport).last().left(200)));
            QVERIFY(rig.boxes.texts(Kind::Information).isEmpty());
            break;
        }
    }
};

QTEST_MAIN(TestBadInput)
#include "tst_badinput.moc"
