// What the real window makes of every way the quote service can fail or surprise it: each day
// ends either written with the right lines or listed in the errors memo, within the time
// limit, and no file in the save folder ever holds anything but quote lines. A full disk
// ends the run with its report, and the day and the rest go to the errors memo.
#include "FullDisk.h"
#include "HardeningRig.h"
#include "LocalService.h"
#include "QuotePage.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSet>
#include <QTest>
#include <QTime>

#include <algorithm>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using Kind = FakeMessageBoxes::Kind;
using pellmark::LineOrder;

namespace {

// WrittenAsIs: written with whatever the page's records give, never more than the page holds.
enum class Outcome { Written, Recorded, WrittenOrRecorded, WrittenAsIs };

// Every case ends well inside this (the 50 MB page takes some 20 s on a busy machine), and
// below the browser's own page time limit of a minute.
constexpr int kCaseLimitMs = 40000;

const QString kAudusdDay = "AUDUSD-" + kMondayLabel;

// A proxy address on which nothing listens: a port the system just handed out and took back.
QString RefusingProxyUrl() {
    const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    const bool bound = probe >= 0 &&
                       ::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                       ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length) == 0;
    if (probe >= 0)
        ::close(probe);
    return bound ? QStringLiteral("http://127.0.0.1:%1").arg(ntohs(address.sin_port)) : QString();
}

// True when every line of a day file is one of the day's quotes as the service made them,
// in the default layout; a padded page repeats them.
bool OnlyQuotesOfTheDay(const QByteArray& dayFile, std::string_view stk) {
    QSet<QString> quotes;
    for (const pellmark::QuoteRecord& quote : pellmark::DayQuotes(stk, kMondayLabel.toStdString()))
        quotes << QString::fromStdString(quote.price) + " - " +
                      QTime(0, 0).addSecs(quote.secondOfDay).toString("hh:mm");
    const QStringList lines = QString::fromLatin1(dayFile.chopped(2)).split("\r\n");
    return std::all_of(lines.begin(), lines.end(),
                       [&](const QString& line) { return quotes.contains(line); });
}

} // namespace

Q_DECLARE_METATYPE(Outcome)

class TestFaultMatrix : public QObject {
    Q_OBJECT

private slots:
    void dayIsWrittenOrRecorded_data() {
        QTest::addColumn<QStringList>("faults"); // empty: nothing listens where the proxy is
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<int>("requests"); // -1: not counted
        QTest::addColumn<LineOrder>("order");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<int>("pageLimitMs"); // how long the browser waits for a page

        const auto row = [](const char* name, const QStringList& faults, Outcome outcome,
                            int requests, LineOrder order = LineOrder::PriceFirst,
                            const QString& separator = " - ", int pageLimitMs = 5000) {
            QTest::newRow(name) << faults << outcome << requests << order << separator
                                << pageLimitMs;
        };
        const auto written = Outcome::Written;
        const auto recorded = Outcome::Recorded;
        const auto timeFirst = LineOrder::TimeFirst;
        row("connection refused", {}, recorded, -1);
        row("closed without an answer", {"--close"}, recorded, 3);
        row("reset in the middle of the body", {"--reset-mid-body"}, recorded, 7);
        row("no answer", {"--hang"}, recorded, 3, LineOrder::PriceFirst, " - ", 300);
        row("HTTP 500", {"--status", "500"}, recorded, 7);
        row("302 to another path", {"--redirect"}, written, 2);
        row("slow drip", {"--drip-ms", "2"}, written, 1);
        row("late answer", {"--delay-ms", "300"}, written, 1);
        row("empty body", {"--empty-body"}, recorded, 7);
        row("empty body, time first, odd separator", {"--empty-body"}, recorded, 7, timeFirst, "|");
        row("50 MB page", {"--huge-mb", "50"}, Outcome::WrittenOrRecorded, -1);
        row("not HTML", {"--binary"}, recorded, -1);
        row("UTF-16", {"--charset", "UTF-16"}, written, 1);
        row("KOI8-R, time first", {"--charset", "KOI8-R"}, written, 1, timeFirst, ";");
        row("no data, always", {"--no-data-first", "1000"}, recorded, 7);
        row("no data, twice", {"--no-data-first", "2"}, written, 3);
        row("short page", {"--short"}, recorded, 7);
        // Records without a time or a price are no data, whatever their number.
        row("every record empty", {"--empty-records"}, recorded, 1);
        row("short page, time first, odd separator", {"--short"}, recorded, 7, timeFirst, "\t|%");
        // 155 KB: records that ran on to the foot's " (" made a 400 MB day file.
        row("records without ' (', one in the foot", {"--no-paren-records", "5000"},
            Outcome::WrittenAsIs, 1);
        // Sizes that read in well under a second; far larger ones end as "page too complex".
        row("2,000 nested divs", {"--nested-divs", "2000"}, written, 1);
        row("one tag with 2,000 attributes", {"--many-attributes", "2000"}, written, 1);
        row("2,000 unclosed font tags", {"--unclosed-fonts", "2000"}, written, 1);
        // 50 KB that would build a tree of gigabytes: given up once it outgrows its bounds.
        row("1,000 bold tags reopened in 10,000 paragraphs", {"--reopened-formatting", "10000"},
            recorded, 1);
    }

    void dayIsWrittenOrRecorded() {
        QFETCH(QStringList, faults);
        QFETCH(Outcome, outcome);
        QFETCH(int, requests);
        QFETCH(LineOrder, order);
        QFETCH(QString, separator);
        QFETCH(int, pageLimitMs);

        LocalService service(faults);
        QVERIFY2(service.start(), qPrintable(service.errorString()));
        const QString proxy = faults.isEmpty() ? RefusingProxyUrl() : service.proxyUrl();
        QVERIFY(!proxy.isEmpty());
        Rig rig(proxy, std::chrono::milliseconds(pageLimitMs));
        rig.setSymbols("Forex", "AUDUSD");
        rig.setLayout(order, separator);

        QElapsedTimer clock;
        clock.start();
        rig.download();
        QVERIFY2(rig.waitUntilIdle(kCaseLimitMs), "the run did not end in time");
        QVERIFY(clock.elapsed() < kCaseLimitMs);

        QVERIFY(rig.boxes.texts(Kind::ErrorReport).isEmpty());
        QCOMPARE(rig.boxes.texts(Kind::Information), QStringList{kDoneMessage});
        QCOMPARE(rig.status(), QString("Download done."));
        const QStringList junk = rig.junkLines(order, separator);
        QVERIFY2(junk.isEmpty() || outcome == Outcome::WrittenAsIs,
                 qPrintable(junk.mid(0, 5).join('\n')));
        QCOMPARE(rig.strays(), QStringList());

        const bool wasWritten = rig.files() == QStringList{kAudusdDay + ".txt"};
        const bool wasRecorded = rig.files().isEmpty() && rig.errors() == kAudusdDay + "\n";
        switch (outcome) {
        case Outcome::Written:
            QVERIFY2(wasWritten, qPrintable(rig.files().join(' ') + " / " + rig.errors()));
            QCOMPARE(rig.file(kAudusdDay + ".txt"),
                     ExpectedDayBytes("frxAUDUSD", kMondayLabel, order, separator));
            QCOMPARE(rig.errors(), QString());
            break;
        case Outcome::Recorded:
            QVERIFY2(wasRecorded, qPrintable(rig.files().join(' ') + " / " + rig.errors()));
            QCOMPARE(rig.boxes.texts(Kind::Warning).size(), 1);
            break;
        case Outcome::WrittenAsIs:
            QVERIFY2(wasWritten, qPrintable(rig.files().join(' ') + " / " + rig.errors()));
            QVERIFY(rig.file(kAudusdDay + ".txt").size() < 155 * 1024);
            break;
        case Outcome::WrittenOrRecorded:
            QVERIFY(wasWritten != wasRecorded);
            if (wasWritten)
                QVERIFY(OnlyQuotesOfTheDay(rig.file(kAudusdDay + ".txt"), "frxAUDUSD"));
            break;
        }
        if (requests >= 0)
            QCOMPARE(service.requestLog().size(), requests);
    }

    void fullDiskListsTheDayAndTheRest_data() {
        QTest::addColumn<qint64>("room"); // bytes that still fit
        const qint64 dayBytes = ExpectedDayBytes("frxAUDUSD", kMondayLabel).size();
        QTest::newRow("nothing fits") << qint64(0);
        QTest::newRow("cut short") << dayBytes / 2;
        QTest::newRow("full when synced") << dayBytes;
    }
    void fullDiskListsTheDayAndTheRest() {
        QFETCH(qint64, room);
        LocalService service;
        QVERIFY(service.start());
        Rig rig(service.proxyUrl());
        rig.setSymbols("Forex", "AUDUSD\nEURUSD");
        QVERIFY2(SetDiskRoom(room), "the full-disk shim is not loaded");
        rig.download();
        const bool ended = rig.waitUntilIdle(kCaseLimitMs);
        SetDiskRoom(-1);
        QVERIFY(ended);

        QCOMPARE(rig.boxes.texts(Kind::ErrorReport),
                 QStringList{"Cannot create file \"" + rig.saveFolder() + kAudusdDay +
                             ".txt\". No space left on device."});
        QCOMPARE(rig.errors(), kAudusdDay + "\nEURUSD-" + kMondayLabel + "\n");
        QCOMPARE(rig.files(), QStringList());
        QCOMPARE(rig.strays(), QStringList());
        QVERIFY(rig.boxes.texts(Kind::Information).isEmpty());
        QCOMPARE(service.requestLog().size(), 1);
    }

    // The window's browser waits up to a minute for a page; a page that never comes does not
    // freeze the window meanwhile, and Stop lists the day at once.
    void noAnswerCanBeStopped() {
        LocalService service({"--hang"});
        QVERIFY(service.start());
        Rig rig(service.proxyUrl());
        rig.setSymbols("Forex", "AUDUSD");
        rig.download();
        QTRY_COMPARE(service.requestLog().size(), 1);
        // Past a double-click's interval, when a second click means Stop.
        QTest::qWait(QApplication::doubleClickInterval());
        QVERIFY(rig.form->Running());
        rig.download(); // the same button is Stop now

        QVERIFY(!rig.form->Running());
        QCOMPARE(rig.status(), QString("Download stopped."));
        QCOMPARE(rig.errors(), kAudusdDay + "\n");
        QCOMPARE(rig.files(), QStringList());
    }
};

QTEST_MAIN_WRAPPER(TestFaultMatrix, RestartWithFullDiskShim(argv); QTEST_MAIN_SETUP())
#include "tst_faultmatrix.moc"
