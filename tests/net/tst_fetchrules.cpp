// The fetch's own rules on a scripted browser: when it fetches again and how often, the pause
// before every request, and that nothing reaches it after an abort or without its asking.
#include "FakeBrowser.h"
#include "net/QuoteFetch.h"

#include <QtTest>

using namespace pellmark;
using namespace std::chrono_literals;

namespace {

constexpr std::chrono::milliseconds kPause{10};

struct Form : QuoteFormSource {
    std::string hostLabel() const override { return "www"; }
    LineOrder lineOrder() const override { return LineOrder::PriceFirst; }
    std::string separator() const override { return " - "; }
};

// "no data", "N lines" (a quote page of N lines: the heading record and N - 1 quotes),
// "proxy page" (no quote records), "timeout", "too large", "cannot start".
FakeAnswer Answer(const QString& kind) {
    if (kind == "no data")
        return {"<P>There is no intraday data for AUDUSD on 6-Jun-05</P>"};
    if (kind == "proxy page")
        return {"<H1>Gateway busy</H1>\n<P>Try again</P>"};
    if (kind == "timeout")
        return {{}, {FetchFailure::Timeout}};
    if (kind == "too large")
        return {{}, {FetchFailure::TooLarge}};
    if (kind == "cannot start")
        return {{}, {}, false};
    std::string page = "<BR>&nbsp; Time Price (Bid / Ask)";
    for (int minute = 0; minute < kind.section(u' ', 0, 0).toInt() - 1; ++minute)
        page += "\n<BR>&nbsp; 00:0" + std::to_string(minute) + ":00 GMT 1.234" +
                std::to_string(minute) + " (1.2300 / 1.2400)";
    return {page};
}

QString Summary(const FetchResult& result) {
    QString text =
        result.day.hasData ? QString("%1 quotes").arg(result.day.lines.size()) : QString("none");
    text += QString(", %1 fetches").arg(result.fetches);
    if (result.failure != FetchFailure::None)
        text += ", " + QString::fromStdString(DescribeFailure(result));
    return text;
}

} // namespace

class FetchRulesTest : public QObject {
    Q_OBJECT
private slots:
    void fetchOnAScriptedBrowser_data();
    void fetchOnAScriptedBrowser();
};

void FetchRulesTest::fetchOnAScriptedBrowser_data() {
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QString>("step"); // what happens besides the fetch
    QTest::addColumn<int>("posts");
    QTest::addColumn<int>("answered");
    QTest::addColumn<QList<int>>("again"); // the fetch numbers announced as fetched again
    QTest::addColumn<QStringList>("results");
    const QList<int> sixAgain{2, 3, 4, 5, 6, 7};

    QTest::newRow("a day without data is fetched seven times")
        << QStringList{"no data"} << "" << 7 << 7 << sixAgain << QStringList{"none, 7 fetches"};
    QTest::newRow("five lines are fetched again")
        << QStringList{"5 lines"} << "" << 7 << 7 << sixAgain << QStringList{"4 quotes, 7 fetches"};
    QTest::newRow("six lines are a page") << QStringList{"6 lines"} << "" << 1 << 1 << QList<int>{}
                                          << QStringList{"5 quotes, 1 fetches"};
    QTest::newRow("a good second page ends the fetching")
        << QStringList{"no data", "6 lines"} << "" << 2 << 2 << QList<int>{2}
        << QStringList{"5 quotes, 2 fetches"};
    QTest::newRow("the seventh page is the last")
        << QStringList{"no data", "no data", "no data", "no data", "no data", "no data", "6 lines"}
        << "" << 7 << 7 << sixAgain << QStringList{"5 quotes, 7 fetches"};
    QTest::newRow("no eighth fetch") << QStringList{"no data", "no data", "no data", "no data",
                                                    "no data", "no data", "no data", "6 lines"}
                                     << "" << 7 << 7 << sixAgain << QStringList{"none, 7 fetches"};
    QTest::newRow("pages without quotes are a bad page")
        << QStringList{"proxy page"} << "" << 7 << 7 << sixAgain
        << QStringList{"none, 7 fetches, bad page after 7 fetches"};
    QTest::newRow("a timeout is fetched again")
        << QStringList{"timeout", "6 lines"} << "" << 2 << 2 << QList<int>{2}
        << QStringList{"5 quotes, 2 fetches"};
    QTest::newRow("a day asked with two tries")
        << QStringList{"no data"} << "asked with 2 tries" << 2 << 2 << QList<int>{2}
        << QStringList{"none, 2 fetches"};
    QTest::newRow("too large is not fetched again")
        << QStringList{"too large"} << "" << 1 << 1 << QList<int>{}
        << QStringList{"none, 1 fetches, too large"};
    QTest::newRow("a request that cannot start")
        << QStringList{"cannot start"} << "" << 0 << 0 << QList<int>{}
        << QStringList{"none, 0 fetches, cannot send the request"};
    QTest::newRow("abort while loading stops the browser")
        << QStringList{"6 lines"} << "abort while loading" << 1 << 0 << QList<int>{}
        << QStringList{};
    QTest::newRow("abort while pausing sends nothing more")
        << QStringList{"no data", "6 lines"} << "abort while pausing" << 1 << 1 << QList<int>{2}
        << QStringList{};
    QTest::newRow("a page not asked for while pausing")
        << QStringList{"no data", "6 lines"} << "unasked page while pausing" << 2 << 2
        << QList<int>{2} << QStringList{"5 quotes, 2 fetches"};
    QTest::newRow("a page not asked for after the result")
        << QStringList{"6 lines"} << "unasked page after the result" << 1 << 1 << QList<int>{}
        << QStringList{"5 quotes, 1 fetches"};
}

void FetchRulesTest::fetchOnAScriptedBrowser() {
    QFETCH(QStringList, answers);
    QFETCH(QString, step);
    QFETCH(int, posts);
    QFETCH(int, answered);
    QFETCH(QList<int>, again);
    QFETCH(QStringList, results);

    FakeBrowser browser;
    for (const QString& kind : answers)
        browser.script.push_back(Answer(kind));
    Form form;
    QuoteFetch fetch(browser, form, kPause);
    QStringList seen;
    QList<int> seenAgain;
    bool aborted = false;
    connect(&fetch, &QuoteFetch::finished, [&](const FetchResult& r) { seen << Summary(r); });
    connect(&fetch, &QuoteFetch::fetchingAgain, [&](int number) { seenAgain << number; });
    // Each runs from the event loop, after the fetch has had its turn.
    const auto soon = [&](auto action) { QTimer::singleShot(0, &fetch, action); };
    if (step == "abort while loading")
        browser.afterNavigate = [&](int) {
            soon([&] {
                fetch.Abort();
                aborted = true;
            });
        };
    if (step == "abort while pausing")
        connect(&browser, &PageBrowser::documentComplete, &fetch, [&] {
            soon([&] {
                fetch.Abort();
                aborted = true;
            });
        });
    if (step == "unasked page while pausing")
        connect(
            &browser, &PageBrowser::documentComplete, &fetch,
            [&] { soon([&] { browser.CompleteUnasked(Answer("no data")); }); },
            Qt::SingleShotConnection);
    if (step == "unasked page after the result")
        connect(
            &fetch, &QuoteFetch::finished, &fetch,
            [&] { soon([&] { browser.CompleteUnasked(Answer("6 lines")); }); },
            Qt::SingleShotConnection);

    const auto asked = std::chrono::steady_clock::now();
    fetch.FetchDayQuotes({"AUDUSD", "6-Jun-05", Category::Forex,
                          step == "asked with 2 tries" ? 2 : kMostFetchesPerDay});
    QVERIFY(QTest::qWaitFor([&] { return !seen.isEmpty() || aborted; }, 5000));
    // Long enough for an answer or a fetch that should not come.
    QTest::qWait(50);

    QCOMPARE(seen, results);
    QCOMPARE(seenAgain, again);
    QCOMPARE(static_cast<int>(browser.posts.size()), posts);
    QCOMPARE(browser.answered, answered);
    for (const std::string& body : browser.posts)
        QCOMPARE(body, "w=CR&l=GB&stk=frxAUDUSD&date=6-Jun-05");
    auto previous = asked;
    for (const auto& navigation : browser.navigations) {
        QVERIFY(navigation - previous >= kPause);
        previous = navigation;
    }
}

QTEST_GUILESS_MAIN(FetchRulesTest)
#include "tst_fetchrules.moc"
