// The fetch of one symbol-day against the local quote service: the requests it makes,
// how often it fetches again, what it reads from the form and when, and aborting.
#include "LocalService.h"
#include "net/HiddenBrowser.h"
#include "net/QuoteFetch.h"
#include "ServiceDay.h"
#include "WatchedBrowser.h"
#include "WatchedFetch.h"

#include <QtTest>

#include <memory>
#include <optional>

using namespace pellmark;
using namespace std::chrono_literals;

Q_DECLARE_METATYPE(pellmark::Category)
Q_DECLARE_METATYPE(pellmark::FetchFailure)

namespace {

constexpr auto kWaitMs = 20000;
const char* const kMonday = "6-Jun-05";
const char* const kTuesday = "7-Jun-05";
const char* const kSaturday = "4-Jun-05";

struct Form : QuoteFormSource {
    std::string hostLabel_ = "www";
    LineOrder lineOrder_ = LineOrder::PriceFirst;
    std::string separator_ = " - ";

    std::string hostLabel() const override { return hostLabel_; }
    LineOrder lineOrder() const override { return lineOrder_; }
    std::string separator() const override { return separator_; }
};

QStringList ToQt(const Lines& lines) {
    QStringList list;
    for (const std::string& line : lines)
        list << QString::fromStdString(line);
    return list;
}

const QStringList kNone{"none"};

// The day as the parser would give it: its lines, or "none" without data.
QStringList ToQt(const DayLines& day) {
    return day.hasData ? ToQt(day.lines) : kNone;
}

QStringList LogField(const LocalService& service, int field) {
    QStringList values;
    for (const QString& line : service.requestLog())
        values << line.section(u'\t', field, field);
    return values;
}

// A service, a browser reaching it as the proxy, and a fetch with the pause given.
class ServedFetch {
public:
    explicit ServedFetch(QStringList faults = {},
                         std::chrono::milliseconds timeLimit = kPageTimeLimit,
                         std::chrono::milliseconds pause = 0ms,
                         std::chrono::milliseconds readLimit = kPageReadLimit)
        : service(std::move(faults)), timeLimit_(timeLimit), pause_(pause), readLimit_(readLimit) {}

    // answerTime: how long each answer seems to take, as the fetch's clock tells it.
    bool start(std::optional<std::chrono::milliseconds> answerTime = std::nullopt) {
        if (!service.start())
            return false;
        browser = std::make_unique<WatchedBrowser>(nullptr, service.proxyUrl().toStdString(),
                                                   timeLimit_, readLimit_);
        if (answerTime) {
            // Connected before the fetch is, so the clock moves before the fetch reads it.
            QObject::connect(browser.get(), &HiddenBrowser::documentComplete,
                             [this, answerTime] { now_ += *answerTime; });
            fetch = std::make_unique<WatchedFetch>(*browser, form, pause_, [this] { return now_; });
        } else {
            fetch = std::make_unique<WatchedFetch>(*browser, form, pause_);
        }
        QObject::connect(fetch.get(), &QuoteFetch::finished, [this](const FetchResult& result) {
            results << ToQt(result.day);
            fetched << result;
        });
        return true;
    }

    LocalService service;
    Form form;
    std::unique_ptr<WatchedBrowser> browser;
    std::unique_ptr<WatchedFetch> fetch;
    QList<QStringList> results;
    QList<FetchResult> fetched;

private:
    std::chrono::milliseconds timeLimit_;
    std::chrono::milliseconds pause_;
    std::chrono::milliseconds readLimit_;
    RequestPacer::Clock::time_point now_{};
};

} // namespace

class QuoteFetchTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void postsTheFormOfEachCategory_data();
    void postsTheFormOfEachCategory();
    void emptyDayIsFetchedSevenTimes();
    void shortPagesAreFetchedAgain();
    void goodSecondPageEndsTheFetching();
    void goodSeventhPageIsParsed();
    void failedFetchGivesNoneAndItsReason_data();
    void failedFetchGivesNoneAndItsReason();
    void startsAreSpacedFromThePreviousStart_data();
    void startsAreSpacedFromThePreviousStart();
    void pacerDelay_data();
    void pacerDelay();
    void navigationThatCannotStartGivesNoneAtOnce();
    void readsTheFormEachAtItsMoment();
    void abortDuringPauseSendsNothing();
    void abortRestartsThePause();
    void abortedNavigationDoesNotLeakIntoNextDay();
};

void QuoteFetchTest::initTestCase() {
    for (const char* name : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"})
        qunsetenv(name);
}

void QuoteFetchTest::postsTheFormOfEachCategory_data() {
    QTest::addColumn<Category>("category");
    QTest::addColumn<QString>("symbol");
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("stk");
    QTest::newRow("currency pair") << Category::Forex << "AUDUSD"
                                   << "w=CR&l=GB&stk=frxAUDUSD&date=6-Jun-05"
                                   << "frxAUDUSD";
    QTest::newRow("stock") << Category::Stocks << "USAMSFT"
                           << "w=CR&l=GB&stk=USAMSFT&date=6-Jun-05"
                           << "USAMSFT";
    QTest::newRow("index") << Category::Indices << "DJI"
                           << "w=CR&l=GB&stk=DJI&date=6-Jun-05"
                           << "DJI";
}

void QuoteFetchTest::postsTheFormOfEachCategory() {
    QFETCH(Category, category);
    QFETCH(QString, symbol);
    QFETCH(QString, body);
    QFETCH(QString, stk);
    ServedFetch rig;
    QVERIFY2(rig.start(), qPrintable(rig.service.errorString()));
    rig.fetch->FetchDayQuotes({symbol.toStdString(), kMonday, category});
    QVERIFY(rig.fetch->Busy());
    QTRY_COMPARE_WITH_TIMEOUT(rig.results.size(), 1, kWaitMs);
    QVERIFY(!rig.fetch->Busy());

    const QStringList request = rig.service.requestLog().value(0).split(u'\t');
    QCOMPARE(rig.service.requestLog().size(), 1);
    QCOMPARE(request.value(0), "POST");
    QCOMPARE(request.value(1), "http://www.vorn.example//e/c_viewhourly/o_cgi_.htm");
    QCOMPARE(request.value(2), "www.vorn.example");
    QCOMPARE(request.value(3), "application/x-www-form-urlencoded");
    QCOMPARE(request.value(5), body);
    const QStringList expected = ToQt(ExpectedDayLines(stk.toStdString(), kMonday, true, " - "));
    QVERIFY(expected.size() > 5);
    QCOMPARE(rig.results.at(0), expected);
}

void QuoteFetchTest::emptyDayIsFetchedSevenTimes() {
    ServedFetch rig;
    QVERIFY2(rig.start(), qPrintable(rig.service.errorString()));
    rig.fetch->FetchDayQuotes({"AUDUSD", kSaturday});
    QTRY_COMPARE_WITH_TIMEOUT(rig.results.size(), 1, kWaitMs);
    QCOMPARE(rig.results.at(0), kNone);
    QCOMPARE(rig.fetched.at(0).failure, FetchFailure::None);
    QCOMPARE(LogField(rig.service, 5),
             QStringList(kMostFetchesPerDay, "w=CR&l=GB&stk=frxAUDUSD&date=4-Jun-05"));

    // With nothing checked the body is empty, the service knows no such day, and the
    // same seven posts go out.
    rig.fetch->FetchDayQuotes({"AUDUSD", kMonday, Category::None});
    QTRY_COMPARE_WITH_TIMEOUT(rig.results.size(), 2, kWaitMs);
    QCOMPARE(rig.results.at(1), kNone);
    QCOMPARE(LogField(rig.service, 5).mid(kMostFetchesPerDay),
             QStringList(kMostFetchesPerDay, QString()));
    QCOMPARE(LogField(rig.service, 0).mid(kMostFetchesPerDay),
             QStringList(kMostFetchesPerDay, "POST"));
}

void QuoteFetchTest::shortPagesAreFetchedAgain() {
    ServedFetch rig({"--short"});
    QVERIFY2(rig.start(), qPrintable(rig.service.errorString()));
    rig.fetch->FetchDayQuotes({"AUDUSD", kMonday});
    QTRY_COMPARE_WITH_TIMEOUT(rig.results.size(), 1, kWaitMs);
    QCOMPARE(rig.service.requestLog().size(), kMostFetchesPerDay);
}

// With the real pause, which the service relies on: 1.51 s between starts, not 1.5.
void QuoteFetchTest::goodSecondPageEndsTheFetching() {
    ServedFetch rig({"--no-data-first", "1"}, kPageTimeLimit, kFetchPause);
    QVERIFY2(rig.start(), qPrintable(rig.service.errorString()));
    rig.fetch->FetchDayQuotes({"AUDUSD", kMonday});
    QTRY_COMPARE_WITH_TIMEOUT(rig.results.size(), 1, kWaitMs);
    QCOMPARE(rig.service.requestLog().size(), 2);
    QCOMPARE(rig.results.at(0), ToQt(ExpectedDayLines("frxAUDUSD", kMonday, true, " - ")));
    // The pause runs from the fetch's own request, and its timer fires late, never early.
    const auto& sent = rig.browser->Navigations();
    QCOMPARE(sent.size(), 2u);
    const std::chrono::duration<double> sentGap = sent[1] - sent[0];
    QVERIFY2(sentGap.count() >= 1.51, qPrintable(QString::number(sentGap.count(), 'f', 6)));
    // The service sees them as far apart, less how much later the first one arrived: it opens
    // the connection, and a busy machine may hold either back, by far less than half a second.
    const QList<double> arrivals = rig.service.requestTimes();
    const double arrivalGap = arrivals[1] - arrivals[0];
    QVERIFY2(arrivalGap >= 1.01, qPrintable(QString::number(arrivalGap, 'f', 6)));
}

void QuoteFetchTest::goodSeventhPageIsParsed() {
    ServedFetch rig({"--no-data-first", "6"});
    QVERIFY2(rig.start(), qPrintable(rig.service.errorString()));
    rig.fetch->FetchDayQuotes({"AUDUSD", kMonday});
    QTRY_COMPARE_WITH_TIMEOUT(rig.results.size(), 1, kWaitMs);
    QCOMPARE(rig.results.at(0), ToQt(ExpectedDayLines("frxAUDUSD", kMonday, true, " - ")));
    // Without a pause another fetch would be asked for at once, well within this.
    QTest::qWait(50);
    QCOMPARE(rig.service.requestLog().size(), kMostFetchesPerDay);
    QCOMPARE(rig.results.size(), 1);
}

void QuoteFetchTest::failedFetchGivesNoneAndItsReason_data() {
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<bool>("refused");
    QTest::addColumn<int>("attemptsSeen");
    QTest::addColumn<FetchFailure>("reason");
    QTest::addColumn<long>("status");
    // The page time limit is 0.15 s with --hang, else a minute.
    QTest::newRow("connection refused")
        << QStringList{} << true << 0 << FetchFailure::Refused << 0L;
    QTest::newRow("never answers") << QStringList{"--hang"} << false << kMostFetchesWithoutAnswer
                                   << FetchFailure::Timeout << 0L;
    QTest::newRow("server error") << QStringList{"--status", "500"} << false << kMostFetchesPerDay
                                  << FetchFailure::HttpStatus << 500L;
    QTest::newRow("bad page") << QStringList{"--short"} << false << kMostFetchesPerDay
                              << FetchFailure::BadPage << 0L;
    // Neither is asked for again.
    QTest::newRow("too large") << QStringList{"--huge-mb", "16"} << false << 1
                               << FetchFailure::TooLarge << 0L;
    QTest::newRow("page too complex")
        << QStringList{"--huge-mb", "15"} << false << 1 << FetchFailure::PageTooComplex << 0L;
}

void QuoteFetchTest::failedFetchGivesNoneAndItsReason() {
    QFETCH(QStringList, faults);
    QFETCH(bool, refused);
    QFETCH(int, attemptsSeen);
    QFETCH(FetchFailure, reason);
    QFETCH(long, status);
    ServedFetch rig(faults, faults.contains("--hang") ? 150ms : kPageTimeLimit, 0ms, 200ms);
    QVERIFY2(rig.start(), qPrintable(rig.service.errorString()));
    if (refused)
        QVERIFY(rig.service.stop());
    rig.fetch->FetchDayQuotes({"AUDUSD", kMonday});
    QTRY_COMPARE_WITH_TIMEOUT(rig.results.size(), 1, kWaitMs);
    QCOMPARE(rig.results.at(0), kNone);
    QCOMPARE(rig.service.requestLog().size(), attemptsSeen);
    QCOMPARE(rig.fetched.at(0).fetches, refused ? 3 : attemptsSeen);
    QCOMPARE(rig.fetched.at(0).failure, reason);
    QCOMPARE(rig.fetched.at(0).httpStatus, status);
}

void QuoteFetchTest::startsAreSpacedFromThePreviousStart_data() {
    QTest::addColumn<int>("answerMs");
    QTest::addColumn<double>("leastGap");
    QTest::addColumn<double>("mostGap");
    // The pause is 0.4 s; the real answer and the reading of its page take a few tens of
    // milliseconds more.
    QTest::newRow("answer within the pause") << 360 << 0.039 << 0.3;
    QTest::newRow("answer slower than the pause") << 440 << 0.399 << 10.0;
}

void QuoteFetchTest::startsAreSpacedFromThePreviousStart() {
    QFETCH(int, answerMs);
    QFETCH(double, leastGap);
    QFETCH(double, mostGap);
    ServedFetch rig({"--no-data-first", "1"}, kPageTimeLimit, 400ms);
    QVERIFY2(rig.start(std::chrono::milliseconds(answerMs)), qPrintable(rig.service.errorString()));
    rig.fetch->FetchDayQuotes({"AUDUSD", kMonday});
    QTRY_COMPARE_WITH_TIMEOUT(rig.results.size(), 1, kWaitMs);
    const QList<double> starts = rig.service.requestTimes();
    QCOMPARE(starts.size(), 2);
    const double gap = starts[1] - starts[0];
    QVERIFY2(gap >= leastGap && gap <= mostGap, qPrintable(QString::number(gap)));
}

void QuoteFetchTest::pacerDelay_data() {
    QTest::addColumn<int>("answerEndMs"); // after the request's start; -1: no answer
    QTest::addColumn<int>("askedMs");     // when the next request is asked for
    QTest::addColumn<int>("delayMs");
    // The pause is 1 s and the request started at 0.
    QTest::newRow("no answer yet") << -1 << 500 << 1000;
    QTest::newRow("quick answer: the rest of the pause") << 100 << 100 << 900;
    QTest::newRow("past the pause, just before a new run") << 100 << 1099 << 0;
    QTest::newRow("a pause after the answer: a new run") << 100 << 1100 << 1000;
    QTest::newRow("answer as long as the pause") << 1000 << 1000 << 0;
    QTest::newRow("answer slower than the pause") << 1001 << 1001 << 1000;
}

void QuoteFetchTest::pacerDelay() {
    QFETCH(int, answerEndMs);
    QFETCH(int, askedMs);
    QFETCH(int, delayMs);
    const RequestPacer::Clock::time_point start{};
    RequestPacer pacer(1000ms);
    pacer.RequestStarted(start);
    if (answerEndMs >= 0)
        pacer.AnswerEnded(start + std::chrono::milliseconds(answerEndMs));
    QCOMPARE(pacer.DelayBeforeNext(start + std::chrono::milliseconds(askedMs)).count(), delayMs);
}

void QuoteFetchTest::navigationThatCannotStartGivesNoneAtOnce() {
    ServedFetch rig;
    QVERIFY2(rig.start(), qPrintable(rig.service.errorString()));
    rig.form.hostLabel_ = "no such host";
    rig.fetch->FetchDayQuotes({"AUDUSD", kMonday});
    QTRY_COMPARE_WITH_TIMEOUT(rig.results.size(), 1, kWaitMs);
    QCOMPARE(rig.results.at(0), kNone);
    QVERIFY(!rig.fetch->Busy());
    QCOMPARE(rig.service.requestLog().size(), 0);
}

void QuoteFetchTest::readsTheFormEachAtItsMoment() {
    ServedFetch rig({"--no-data-first", "2"});
    QVERIFY2(rig.start(), qPrintable(rig.service.errorString()));
    // Runs after the fetch has taken the page, as a user's change between fetches would.
    QObject::connect(rig.browser.get(), &HiddenBrowser::documentComplete, [&rig] {
        rig.form.hostLabel_ = "uk";
        rig.form.lineOrder_ = LineOrder::TimeFirst;
        rig.form.separator_ = "";
    });
    rig.fetch->FetchDayQuotes({"AUDUSD", kMonday});
    QTRY_COMPARE_WITH_TIMEOUT(rig.results.size(), 1, kWaitMs);

    QCOMPARE(LogField(rig.service, 5), QStringList(3, "w=CR&l=GB&stk=frxAUDUSD&date=6-Jun-05"));
    QCOMPARE(LogField(rig.service, 2),
             (QStringList{"www.vorn.example", "uk.vorn.example", "uk.vorn.example"}));
    QCOMPARE(rig.results.at(0), ToQt(ExpectedDayLines("frxAUDUSD", kMonday, false, "")));
}

void QuoteFetchTest::abortDuringPauseSendsNothing() {
    ServedFetch rig({}, kPageTimeLimit, 100ms);
    QVERIFY2(rig.start(), qPrintable(rig.service.errorString()));
    rig.fetch->FetchDayQuotes({"AUDUSD", kMonday});
    rig.fetch->Abort();
    QVERIFY(!rig.fetch->Busy());
    // Started afterwards with the same pause, so its page comes only after the aborted fetch
    // would have asked.
    HiddenBrowser otherBrowser(nullptr, rig.service.proxyUrl().toStdString());
    QuoteFetch other(otherBrowser, rig.form, 100ms);
    QSignalSpy otherDone(&other, &QuoteFetch::finished);
    other.FetchDayQuotes({"EURUSD", kMonday});
    QVERIFY(otherDone.wait(kWaitMs));
    QCOMPARE(LogField(rig.service, 5), QStringList{"w=CR&l=GB&stk=frxEURUSD&date=6-Jun-05"});
    QCOMPARE(rig.results.size(), 0);
}

// Stopped while pausing after an answer: the service may still be busy with whatever the
// abandoned fetch set going, so the next fetch waits a full pause from the stop.
void QuoteFetchTest::abortRestartsThePause() {
    ServedFetch rig({"--no-data-first", "1"}, kPageTimeLimit, 300ms);
    // The first answer seems to take 250 ms, leaving 50 ms of the pause after it.
    QVERIFY2(rig.start(250ms), qPrintable(rig.service.errorString()));
    std::chrono::system_clock::duration stopped{};
    // Connected after the fetch, so this runs once it has taken the answer and begun to pause.
    QObject::connect(
        rig.browser.get(), &HiddenBrowser::documentComplete, rig.fetch.get(),
        [&rig, &stopped] {
            rig.fetch->Abort();
            stopped = std::chrono::system_clock::now().time_since_epoch();
            rig.fetch->FetchDayQuotes({"AUDUSD", kMonday});
        },
        Qt::SingleShotConnection);
    rig.fetch->FetchDayQuotes({"AUDUSD", kMonday});
    QTRY_COMPARE_WITH_TIMEOUT(rig.results.size(), 1, kWaitMs);
    const QList<double> starts = rig.service.requestTimes();
    QCOMPARE(starts.size(), 2);
    const double gap = starts[1] - std::chrono::duration<double>(stopped).count();
    QVERIFY2(gap >= 0.3, qPrintable(QString::number(gap)));
}

void QuoteFetchTest::abortedNavigationDoesNotLeakIntoNextDay() {
    ServedFetch rig({"--delay-ms", "300", "--only", "USAMSFT"});
    QVERIFY2(rig.start(), qPrintable(rig.service.errorString()));
    rig.fetch->FetchDayQuotes({"USAMSFT", kMonday, Category::Stocks});
    QTRY_COMPARE_WITH_TIMEOUT(rig.service.requestLog().size(), 1, kWaitMs);
    rig.fetch->Abort();
    rig.fetch->FetchDayQuotes({"DJI", kMonday, Category::Stocks});
    QTRY_COMPARE_WITH_TIMEOUT(rig.results.size(), 1, kWaitMs);
    QCOMPARE(rig.results.at(0), ToQt(ExpectedDayLines("DJI", kMonday, true, " - ")));
    // Asked later and as slow, this day is answered only after the abandoned one would be,
    // which must neither end a fetch again nor count as a page.
    rig.fetch->FetchDayQuotes({"USAMSFT", kTuesday, Category::Stocks});
    QTRY_COMPARE_WITH_TIMEOUT(rig.results.size(), 2, kWaitMs);
    QCOMPARE(rig.results.at(1), ToQt(ExpectedDayLines("USAMSFT", kTuesday, true, " - ")));
    QCOMPARE(rig.service.requestLog().size(), 3);
}

QTEST_GUILESS_MAIN(QuoteFetchTest)
#include "tst_quotefetch.moc"
