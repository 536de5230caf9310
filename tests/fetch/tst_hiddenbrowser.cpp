// The hidden browser against the local quote service: what goes over the wire, redirects
// and cookies, the proxy routes, and how failed transfers end.
#include "LocalService.h"
#include "quote/HiddenBrowser.h"
#include "quote/QuoteFetch.h"
#include "quote/QuoteService.h"

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

std::unique_ptr<HiddenBrowser> BrowserVia(const LocalService& service,
                                          std::chrono::milliseconds limit = kPageTimeLimit) {
    return std::make_unique<HiddenBrowser>(nullptr, service.proxyUrl().toStdString(), limit);
}

bool Load(HiddenBrowser& browser, const std::string& url, const std::string& body) {
    QSignalSpy complete(&browser, &HiddenBrowser::documentComplete);
    if (!browser.Navigate(url, body, kFormHeaders))
        return false;
    return complete.wait(15000) && complete.size() == 1 &&
           browser.ReadyState() == HiddenBrowser::LoadState::Complete;
}

} // namespace

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
    void stopAbandonsNavigation();
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
    QCOMPARE(browser->ReadyState(), HiddenBrowser::LoadState::Uninitialized);

    QSignalSpy complete(browser.get(), &HiddenBrowser::documentComplete);
    QVERIFY(browser->Navigate(kProgramUrl, kFormBody, kFormHeaders));
    QCOMPARE(browser->ReadyState(), HiddenBrowser::LoadState::Loading);
    QVERIFY(complete.wait(15000));
    QCOMPARE(browser->ReadyState(), HiddenBrowser::LoadState::Complete);

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
    HiddenBrowser browser;
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
    QTest::newRow("server error") << QStringList{"--status", "500"} << false << 60000;
    QTest::newRow("not found") << QStringList{"--status", "404"} << false << 60000;
    QTest::newRow("closed without answer") << QStringList{"--close"} << false << 60000;
    QTest::newRow("reset mid-body") << QStringList{"--reset-mid-body"} << false << 60000;
    QTest::newRow("never answers") << QStringList{"--hang"} << false << 1500;
    QTest::newRow("connection refused") << QStringList{} << true << 60000;
    QTest::newRow("page over the size cap") << QStringList{"--huge-mb", "65"} << false << 60000;
}

void HiddenBrowserTest::failedTransferGivesEmptyPage() {
    QFETCH(QStringList, faults);
    QFETCH(bool, refused);
    QFETCH(int, timeLimitMs);
    LocalService service(faults);
    QVERIFY2(service.start(), qPrintable(service.errorString()));
    if (refused)
        QVERIFY(service.stop());
    auto browser = BrowserVia(service, std::chrono::milliseconds(timeLimitMs));
    // An earlier good page must not survive a failed one.
    if (!refused)
        QVERIFY(Load(*browser, service.pageUrl().toStdString(), ""));

    QVERIFY(Load(*browser, kProgramUrl, kFormBody));
    QCOMPARE(browser->BodyHtml(), std::string());
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

void HiddenBrowserTest::stopAbandonsNavigation() {
    LocalService service({"--hang"});
    QVERIFY2(service.start(), qPrintable(service.errorString()));
    auto browser = BrowserVia(service, 300ms);
    QSignalSpy complete(browser.get(), &HiddenBrowser::documentComplete);
    QVERIFY(browser->Navigate(kProgramUrl, kFormBody, kFormHeaders));
    QTRY_COMPARE(service.requestLog().size(), 1);
    browser->Stop();
    QVERIFY(browser->ReadyState() != HiddenBrowser::LoadState::Loading);
    // Longer than the time limit: an abandoned transfer would have failed by now.
    QTest::qWait(600);
    QCOMPARE(complete.size(), 0);
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
    HiddenBrowser browser;
    QVERIFY(!browser.Navigate(BuildServiceUrl("no such host"), kFormBody, kFormHeaders));
    QVERIFY(!browser.Navigate("ftp://www.vorn.example/", kFormBody, kFormHeaders));
    QVERIFY(!browser.Navigate("", kFormBody, kFormHeaders));
    QVERIFY(browser.ReadyState() != HiddenBrowser::LoadState::Loading);
}

void HiddenBrowserTest::usesProxyFromEnvironment() {
    LocalService service;
    QVERIFY2(service.start(), qPrintable(service.errorString()));
    qputenv("http_proxy", service.proxyUrl().toUtf8());
    HiddenBrowser browser;
    const bool loaded = Load(browser, kProgramUrl, kFormBody);
    qunsetenv("http_proxy");
    QVERIFY(loaded);
    QCOMPARE(Request(service, 0).target, QString::fromStdString(kProgramUrl));
    QVERIFY(browser.BodyHtml().find("frxAUDUSD on 6-Jun-05") != std::string::npos);
}

QTEST_GUILESS_MAIN(HiddenBrowserTest)
#include "tst_hiddenbrowser.moc"
