// The hidden browser against the local quote service: what goes over the wire, redirects
// and cookies, the proxy routes, and how failed transfers end.
#include "LocalService.h"
#include "net/HiddenBrowser.h"
#include "net/QuoteFetch.h"
#include "net/QuoteService.h"
#include "WatchedBrowser.h"

#include <QSignalSpy>
#include <QtTest>

#include <memory>

using namespace pellmark;
using namespace std::chrono_literals;

namespace {

const std::string kProgramUrl = BuildServiceUrl(kDefaultHostLabel);
const std::string kFormBody = "w=CR&l=GB&stk=frxAUDUSD&date=6-Jun-05";

struct LoggedRequest {
    QString method, target, host, contentType, cookie, body;
};

LoggedRequest Request(const LocalService& service, int index) {
    const QStringList lines = service.requestLog();
    if (index >= lines.size())
        return {};
    const QStringList f = lines.at(index).split(u'\t');
    if (f.size() < 6)
        return {};
    return {f[0], f[1], f[2], f[3], f[4], f[5]};
}

std::unique_ptr<WatchedBrowser> BrowserVia(const LocalService& service,
                                           std::chrono::milliseconds limit = kPageTimeLimit,
                                           std::chrono::milliseconds readLimit = kPageReadLimit) {
    return std::make_unique<WatchedBrowser>(nullptr, service.proxyUrl().toStdString(), limit,
                                            readLimit);
}

bool Load(WatchedBrowser& browser, const std::string& url, const std::string& body) {
    QSignalSpy complete(&browser, &HiddenBrowser::documentComplete);
    if (!browser.Navigate(url, body, kFormHeaders))
        return false;
    return complete.wait(15000) && complete.size() == 1 &&
           browser.ReadyState() == WatchedBrowser::LoadState::Complete;
}

// Whether this process has a page-reading helper running.
bool HelperRunning() {
    const QString me = QString::number(QCoreApplication::applicationPid());
    for (const QString& pid : QDir("/proc").entryList(QDir::Dirs)) {
        QFile stat("/proc/" + pid + "/stat");
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (name) state ppid ...": the name may hold spaces, so count from its end.
        const QString line = QString::fromUtf8(stat.readAll());
        const QStringList after = line.mid(line.lastIndexOf(')') + 2).split(u' ');
        if (line.contains("(pellmark-page-b") && after.value(1) == me)
            return true;
    }
    return false;
}

} // namespace

Q_DECLARE_METATYPE(pellmark::FetchFailure)

class HiddenBrowserTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void postsTheFormThroughTheProxy();
    void postsStraightToTheDoubleSlashPath();
    void emptyBodyIsStillPosted();
    void failedTransferGivesEmptyPage_data();
    void failedTransferGivesEmptyPage();
    void followsRedirectKeepingItsCookie();
    void sendsCookieBackWithNextRequest();
    void cookieStoreDropsTheOldest();
    void stopAbandonsNavigation();
    void stopKillsThePageReading();
    void endlessHelperOutputIsCut();
    void newNavigationReplacesUnfinishedOne();
    void refusesMalformedUrl();
    void usesProxyFromEnvironment();
};

void HiddenBrowserTest::initTestCase() {
    // Only usesProxyFromEnvironment routes through the environment.
    for (const char* name :
         {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY", "no_proxy", "NO_PROXY"})
        qunsetenv(name);
}

void HiddenBrowserTest::postsTheFormThroughTheProxy() {
    LocalService service;
    QVERIFY2(service.start(), qPrintable(service.errorString()));
    auto browser = BrowserVia(service);
    QCOMPARE(browser->ReadyState(), WatchedBrowser::LoadState::Uninitialized);

    QSignalSpy complete(browser.get(), &HiddenBrowser::documentComplete);
    QVERIFY(browser->Navigate(kProgramUrl, kFormBody, kFormHeaders));
    QCOMPARE(browser->ReadyState(), WatchedBrowser::LoadState::Loading);
    QVERIFY(complete.wait(15000));
    QCOMPARE(browser->ReadyState(), WatchedBrowser::LoadState::Complete);

    const LoggedRequest sent = Request(service, 0);
    QCOMPARE(sent.method, "POST");
    QCOMPARE(sent.target, "http://www.vorn.example//e/c_viewhourly/o_cgi_.htm");
    QCOMPARE(sent.host, "www.vorn.example");
    QCOMPARE(sent.contentType, "application/x-www-form-urlencoded");
    QCOMPARE(sent.body, QString::fromStdString(kFormBody));
    QVERIFY(browser->BodyHtml().find("frxAUDUSD on 6-Jun-05") != std::string::npos);
    QVERIFY(browser->BodyHtml().find("<BR>&nbsp; 00:05:00 GMT ") != std::string::npos);
}

void HiddenBrowserTest::postsStraightToTheDoubleSlashPath() {
    LocalService service;
    QVERIFY2(service.start(), qPrintable(service.errorString()));
    WatchedBrowser browser;
    QVERIFY(Load(browser, service.pageUrl().toStdString(), kFormBody));
    QCOMPARE(Request(service, 0).target, "//e/c_viewhourly/o_cgi_.htm");
    QVERIFY(browser.BodyHtml().find("frxAUDUSD on 6-Jun-05") != std::string::npos);
}

void HiddenBrowserTest::emptyBodyIsStillPosted() {
    LocalService service;
    QVERIFY2(service.start(), qPrintable(service.errorString()));
    auto browser = BrowserVia(service);
    // The handle is reused: the earlier, longer body must not lend the empty one its size.
    QVERIFY(Load(*browser, kProgramUrl, kFormBody));
    QVERIFY(Load(*browser, kProgramUrl, ""));
    const LoggedRequest sent = Request(service, 1);
    QCOMPARE(sent.method, "POST");
    QCOMPARE(sent.body, "");
    QCOMPARE(sent.contentType, "application/x-www-form-urlencoded");
}

void HiddenBrowserTest::failedTransferGivesEmptyPage_data() {
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<bool>("refused");
    QTest::addColumn<int>("timeLimitMs");
    QTest::addColumn<int>("readLimitMs");
    QTest::addColumn<FetchFailure>("reason");
    QTest::addColumn<long>("status");
    const int slow = 60000;
    QTest::newRow("server error") << QStringList{"--status", "500"} << false << slow << slow
                                  << FetchFailure::HttpStatus << 500L;
    QTest::newRow("not found") << QStringList{"--status", "404"} << false << slow << slow
                               << FetchFailure::HttpStatus << 404L;
    QTest::newRow("closed without answer")
        << QStringList{"--close"} << false << slow << slow << FetchFailure::NoReply << 0L;
    QTest::newRow("reset mid-body") << QStringList{"--reset-mid-body"} << false << slow << slow
                                    << FetchFailure::Transport << 0L;
    QTest::newRow("never answers")
        << QStringList{"--hang"} << false << 1500 << slow << FetchFailure::Timeout << 0L;
    QTest::newRow("connection refused")
        << QStringList{} << true << slow << slow << FetchFailure::Refused << 0L;
    // The padding makes the page a little over the size asked for.
    QTest::newRow("page over the size cap")
        << QStringList{"--huge-mb", "16"} << false << slow << slow << FetchFailure::TooLarge << 0L;
    QTest::newRow("page read over its time limit")
        << QStringList{"--huge-mb", "15"} << false << slow << 200 << FetchFailure::PageTooComplex
        << 0L;
}

void HiddenBrowserTest::failedTransferGivesEmptyPage() {
    QFETCH(QStringList, faults);
    QFETCH(bool, refused);
    QFETCH(int, timeLimitMs);
    QFETCH(int, readLimitMs);
    QFETCH(FetchFailure, reason);
    QFETCH(long, status);
    LocalService service(faults);
    QVERIFY2(service.start(), qPrintable(service.errorString()));
    if (refused)
        QVERIFY(service.stop());
    auto browser = BrowserVia(service, std::chrono::milliseconds(timeLimitMs),
                              std::chrono::milliseconds(readLimitMs));
    // An earlier good page must not survive a failed one.
    if (!refused)
        QVERIFY(Load(*browser, service.pageUrl().toStdString(), ""));

    QVERIFY(Load(*browser, kProgramUrl, kFormBody));
    QCOMPARE(browser->BodyHtml(), std::string());
    QCOMPARE(browser->Failure().reason, reason);
    QCOMPARE(browser->Failure().httpStatus, status);
    QCOMPARE(browser->Failure().detail.empty(),
             reason != FetchFailure::Transport && reason != FetchFailure::NoReply);
}

void HiddenBrowserTest::followsRedirectKeepingItsCookie() {
    LocalService service({"--redirect"});
    QVERIFY2(service.start(), qPrintable(service.errorString()));
    auto browser = BrowserVia(service);
    QVERIFY(Load(*browser, kProgramUrl, kFormBody));

    QCOMPARE(service.requestLog().size(), 2);
    const LoggedRequest followed = Request(service, 1);
    QCOMPARE(followed.method, "GET");
    QVERIFY2(followed.target.contains("/e/result.htm?stk=frxAUDUSD"), qPrintable(followed.target));
    QVERIFY2(followed.cookie.startsWith("session="), qPrintable(followed.cookie));
    QVERIFY(browser->BodyHtml().find("frxAUDUSD on 6-Jun-05") != std::string::npos);
}

void HiddenBrowserTest::sendsCookieBackWithNextRequest() {
    LocalService service({"--set-cookie"});
    QVERIFY2(service.start(), qPrintable(service.errorString()));
    auto browser = BrowserVia(service);
    QVERIFY(Load(*browser, kProgramUrl, kFormBody));
    QVERIFY(Load(*browser, kProgramUrl, kFormBody));
    QCOMPARE(Request(service, 0).cookie, "");
    QCOMPARE(Request(service, 1).cookie, "session=s1");
}

void HiddenBrowserTest::cookieStoreDropsTheOldest() {
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> easy(curl_easy_init(), &curl_easy_cleanup);
    curl_easy_setopt(easy.get(), CURLOPT_COOKIEFILE, "");
    const auto set = [&](const char* cookie) {
        curl_easy_setopt(easy.get(), CURLOPT_COOKIELIST,
                         (std::string("Set-Cookie: ") + cookie + "; domain=vorn.example").c_str());
    };
    CookieLimit limit(4);
    for (const char* cookie : {"a=1", "b=1", "c=1"})
        set(cookie);
    limit.Trim(easy.get());
    // Setting a again does not make it younger.
    for (const char* cookie : {"d=1", "a=2", "e=1"})
        set(cookie);
    limit.Trim(easy.get());

    curl_slist* list = nullptr;
    curl_easy_getinfo(easy.get(), CURLINFO_COOKIELIST, &list);
    QStringList names;
    for (const curl_slist* item = list; item; item = item->next)
        names << QString(item->data).section(u'\t', 5, 5);
    curl_slist_free_all(list);
    names.sort();
    QCOMPARE(names, (QStringList{"b", "c", "d", "e"}));
}

void HiddenBrowserTest::stopAbandonsNavigation() {
    LocalService service({"--hang"});
    QVERIFY2(service.start(), qPrintable(service.errorString()));
    auto browser = BrowserVia(service, 300ms);
    QSignalSpy complete(browser.get(), &HiddenBrowser::documentComplete);
    QVERIFY(browser->Navigate(kProgramUrl, kFormBody, kFormHeaders));
    QTRY_COMPARE(service.requestLog().size(), 1);
    browser->Stop();
    QVERIFY(browser->ReadyState() != WatchedBrowser::LoadState::Loading);
    // Longer than the time limit: an abandoned transfer would have failed by now.
    QTest::qWait(600);
    QCOMPARE(complete.size(), 0);
}

void HiddenBrowserTest::stopKillsThePageReading() {
    // Its body takes seconds to read.
    LocalService service({"--huge-mb", "15"});
    QVERIFY2(service.start(), qPrintable(service.errorString()));
    auto browser = BrowserVia(service);
    QSignalSpy complete(browser.get(), &HiddenBrowser::documentComplete);
    QVERIFY(browser->Navigate(kProgramUrl, kFormBody, kFormHeaders));
    QTRY_VERIFY_WITH_TIMEOUT(HelperRunning(), 10000);
    browser->Stop();
    QVERIFY(browser->ReadyState() != WatchedBrowser::LoadState::Loading);
    QTRY_VERIFY_WITH_TIMEOUT(!HelperRunning(), 500);
    QCOMPARE(complete.size(), 0);
}

// A helper gone wrong that writes without end: cut at the largest body, long before the time
// limit, rather than taking all the program's memory.
void HiddenBrowserTest::endlessHelperOutputIsCut() {
    PageBodyReader reader(60s, "/usr/bin/yes");
    QSignalSpy done(&reader, &PageBodyReader::done);
    reader.Start("<html>", "text/html");
    QVERIFY(done.wait(20000));
    QCOMPARE(done.first().at(0).value<PageBodyReader::Outcome>(),
             PageBodyReader::Outcome::TooComplex);
    QVERIFY(reader.TakeBody().empty());
}

void HiddenBrowserTest::newNavigationReplacesUnfinishedOne() {
    LocalService service({"--delay-ms", "700", "--only", "USAMSFT"});
    QVERIFY2(service.start(), qPrintable(service.errorString()));
    auto browser = BrowserVia(service);
    QSignalSpy complete(browser.get(), &HiddenBrowser::documentComplete);
    QVERIFY(browser->Navigate(kProgramUrl, "w=CR&l=GB&stk=USAMSFT&date=6-Jun-05", kFormHeaders));
    QTRY_COMPARE(service.requestLog().size(), 1);
    QVERIFY(browser->Navigate(kProgramUrl, "w=CR&l=GB&stk=DJI&date=6-Jun-05", kFormHeaders));
    QVERIFY(complete.wait(15000));
    QVERIFY(browser->BodyHtml().find("DJI on 6-Jun-05") != std::string::npos);
    QTest::qWait(1000);
    QCOMPARE(complete.size(), 1);
    QVERIFY(browser->BodyHtml().find("DJI on 6-Jun-05") != std::string::npos);
}

void HiddenBrowserTest::refusesMalformedUrl() {
    WatchedBrowser browser;
    QVERIFY(!browser.Navigate(BuildServiceUrl("no such host"), kFormBody, kFormHeaders));
    QVERIFY(!browser.Navigate("ftp://www.vorn.example/", kFormBody, kFormHeaders));
    QVERIFY(!browser.Navigate("", kFormBody, kFormHeaders));
    QVERIFY(browser.ReadyState() != WatchedBrowser::LoadState::Loading);
}

void HiddenBrowserTest::usesProxyFromEnvironment() {
    LocalService service;
    QVERIFY2(service.start(), qPrintable(service.errorString()));
    qputenv("http_proxy", service.proxyUrl().toUtf8());
    WatchedBrowser browser;
    const bool loaded = Load(browser, kProgramUrl, kFormBody);
    qunsetenv("http_proxy");
    QVERIFY(loaded);
    QCOMPARE(Request(service, 0).target, QString::fromStdString(kProgramUrl));
    QVERIFY(browser.BodyHtml().find("frxAUDUSD on 6-Jun-05") != std::string::npos);
}

QTEST_GUILESS_MAIN(HiddenBrowserTest)
#include "tst_hiddenbrowser.moc"
