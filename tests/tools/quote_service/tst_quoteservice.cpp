// The local quote service as a process: routing, form decoding, request log and fault modes.
#include "LocalService.h"
#include "QuotePage.h"
#include "RawHttp.h"

#include <QStringDecoder>
#include <QTest>

using namespace pellmark;

namespace {

const std::string kPagePath = "//e/c_viewhourly/o_cgi_.htm";
const std::string kProxyTarget = "http://www.vorn.example//e/c_viewhourly/o_cgi_.htm";

std::string DayForm(std::string_view stk, std::string_view date) {
    return "w=CR&l=GB&stk=" + std::string(stk) + "&date=" + std::string(date);
}

RawReply PostDay(const LocalService& service, std::string_view stk, std::string_view date,
                 std::string_view extraHeaders = {}) {
    return Exchange(service.port(), FormPost(kProxyTarget, DayForm(stk, date), extraHeaders));
}

// The pages travel in ISO-8859-1 unless asked otherwise.
std::string Latin1(const std::string& utf8) {
    return QString::fromStdString(utf8).toLatin1().toStdString();
}

std::string ExpectedPage(std::string_view stk, std::string_view date) {
    return Latin1(QuotePageHtml(stk, date));
}

bool HasNoData(const RawReply& reply) {
    return reply.body().find(kNoDataPageText) != std::string::npos;
}

} // namespace

class TestQuoteService : public QObject {
    Q_OBJECT

private slots:
    void servesThePageForOriginAndAbsoluteTargets_data();
    void servesThePageForOriginAndAbsoluteTargets();
    void otherTargetsAreNotFound_data();
    void otherTargetsAreNotFound();
    void decodesPercentEscapesInTheForm();
    void logsOneEscapedLinePerRequest();
    void noDataFirstCountsEachSymbolDay();
    void onlyRestrictsTheFaults_data();
    void onlyRestrictsTheFaults();
    void pageFaults_data();
    void pageFaults();
    void closeSendsNothing();
    void resetCutsTheBody();
    void dripStillDeliversTheWholePage();
    void hugePageIsValidAndLarge();
    void charsetIsDeclaredAndUsed();
    void redirectLeadsToThePageWithACookie();
    void setCookieOnlyWithoutASession();
    void hangingRequestDoesNotDelayShutdown();
};

void TestQuoteService::servesThePageForOriginAndAbsoluteTargets_data() {
    QTest::addColumn<QString>("target");
    QTest::newRow("origin form") << QString::fromStdString(kPagePath);
    QTest::newRow("absolute form") << QString::fromStdString(kProxyTarget);
    QTest::newRow("absolute form with port")
        << "http://quotes.vorn.example:8080//e/c_viewhourly/o_cgi_.htm";
}

void TestQuoteService::servesThePageForOriginAndAbsoluteTargets() {
    QFETCH(QString, target);
    LocalService service;
    QVERIFY2(service.start(), qPrintable(service.errorString()));

    const RawReply reply =
        Exchange(service.port(), FormPost(target.toStdString(), DayForm("frxAUDUSD", "6-Jun-05")));
    QCOMPARE(reply.status(), 200);
    QCOMPARE(reply.header("Content-Type"), "text/html; charset=ISO-8859-1");
    QCOMPARE(reply.body(), ExpectedPage("frxAUDUSD", "6-Jun-05"));
}

void TestQuoteService::otherTargetsAreNotFound_data() {
    QTest::addColumn<QString>("target");
    QTest::newRow("one leading slash") << "/e/c_viewhourly/o_cgi_.htm";
    QTest::newRow("absolute, one slash") << "http://www.vorn.example/e/c_viewhourly/o_cgi_.htm";
    QTest::newRow("other page") << "//e/c_viewhourly/o_cgi_.html";
    QTest::newRow("root") << "/";
}

void TestQuoteService::otherTargetsAreNotFound() {
    QFETCH(QString, target);
    LocalService service;
    QVERIFY2(service.start(), qPrintable(service.errorString()));

    const RawReply reply =
        Exchange(service.port(), FormPost(target.toStdString(), DayForm("frxAUDUSD", "6-Jun-05")));
    QCOMPARE(reply.status(), 404);
    QCOMPARE(service.requestLog().size(), 1);
}

void TestQuoteService::decodesPercentEscapesInTheForm() {
    LocalService service;
    QVERIFY2(service.start(), qPrintable(service.errorString()));

    const RawReply reply = PostDay(service, "frx%41UD%55sd", "6%2DJun-05");
    QCOMPARE(reply.body(), ExpectedPage("frxAUDUsd", "6-Jun-05"));
    QVERIFY(HasNoData(reply));
    QCOMPARE(PostDay(service, "frx%41UD%55SD", "6%2DJun-05").body(),
             ExpectedPage("frxAUDUSD", "6-Jun-05"));
}

void TestQuoteService::logsOneEscapedLinePerRequest() {
    LocalService service;
    QVERIFY2(service.start(), qPrintable(service.errorString()));

    PostDay(service, "frxAUDUSD", "6-Jun-05", "Cookie: session=abc\r\n");
    Exchange(service.port(), FormPost(kPagePath, "a\tb\r\nc\\d"));

    const QStringList log = service.requestLog();
    QCOMPARE(log.size(), 2);
    QCOMPARE(log[0], "POST\t" + QString::fromStdString(kProxyTarget) +
                         "\twww.vorn.example\tapplication/x-www-form-urlencoded\tsession=abc\t" +
                         QString::fromStdString(DayForm("frxAUDUSD", "6-Jun-05")));
    QVERIFY2(log[1].endsWith("\t\ta\\tb\\r\\nc\\\\d"), qPrintable(log[1]));
}

void TestQuoteService::noDataFirstCountsEachSymbolDay() {
    LocalService service({"--no-data-first", "2"});
    QVERIFY2(service.start(), qPrintable(service.errorString()));

    QVERIFY(HasNoData(PostDay(service, "frxAUDUSD", "6-Jun-05")));
    QVERIFY(HasNoData(PostDay(service, "frxAUDUSD", "6-Jun-05")));
    QVERIFY(HasNoData(PostDay(service, "frxAUDUSD", "7-Jun-05")));
    QCOMPARE(PostDay(service, "frxAUDUSD", "6-Jun-05").body(),
             ExpectedPage("frxAUDUSD", "6-Jun-05"));
    QVERIFY(HasNoData(PostDay(service, "frxAUDUSD", "7-Jun-05")));
    QCOMPARE(PostDay(service, "frxAUDUSD", "7-Jun-05").body(),
             ExpectedPage("frxAUDUSD", "7-Jun-05"));
}

void TestQuoteService::onlyRestrictsTheFaults_data() {
    QTest::addColumn<QString>("only");
    QTest::addColumn<QString>("faultedStk");
    QTest::addColumn<QString>("faultedDate");
    QTest::addColumn<QString>("sparedStk");
    QTest::addColumn<QString>("sparedDate");

    QTest::newRow("symbol") << "AUDUSD"
                            << "frxAUDUSD"
                            << "6-Jun-05"
                            << "USAMSFT"
                            << "6-Jun-05";
    QTest::newRow("date") << "7-Jun-05"
                          << "USAMSFT"
                          << "7-Jun-05"
                          << "USAMSFT"
                          << "6-Jun-05";
}

void TestQuoteService::onlyRestrictsTheFaults() {
    QFETCH(QString, only);
    QFETCH(QString, faultedStk);
    QFETCH(QString, faultedDate);
    QFETCH(QString, sparedStk);
    QFETCH(QString, sparedDate);
    LocalService service({"--status", "503", "--only", only});
    QVERIFY2(service.start(), qPrintable(service.errorString()));

    QCOMPARE(PostDay(service, faultedStk.toStdString(), faultedDate.toStdString()).status(), 503);
    const RawReply spared = PostDay(service, sparedStk.toStdString(), sparedDate.toStdString());
    QCOMPARE(spared.status(), 200);
    QCOMPARE(spared.body(), ExpectedPage(sparedStk.toStdString(), sparedDate.toStdString()));
}

void TestQuoteService::pageFaults_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("maxLines");
    QTest::addColumn<bool>("noData");
    QTest::addColumn<bool>("html");

    QTest::newRow("short") << QStringList{"--short"} << 200 << 5 << false << true;
    QTest::newRow("empty body") << QStringList{"--empty-body"} << 200 << 0 << false << false;
    QTest::newRow("status") << QStringList{"--status", "500"} << 500 << 5 << false << true;
    QTest::newRow("binary") << QStringList{"--binary"} << 200 << 1000 << false << false;
    QTest::newRow("delay") << QStringList{"--delay-ms", "50"} << 200 << 1000 << false << true;
    QTest::newRow("stock holiday")
        << QStringList{"--stock-holidays", "6-jun-05", "--pair-holidays", "7-Jun-05"} << 200 << 20
        << true << true;
    QTest::newRow("before the listing")
        << QStringList{"--listed", "frxAUDUSD=1-Jan-05,USAINTC=7-Jun-05"} << 200 << 20 << true
        << true;
    QTest::newRow("flaky first answer")
        << QStringList{"--flaky-percent", "100", "--seed", "7"} << 200 << 20 << true << true;
    QTest::newRow("half day, 43 of 79 quotes")
        << QStringList{"--half-days", "6-Jun-05"} << 200 << 60 << false << true;
}

void TestQuoteService::pageFaults() {
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(int, maxLines);
    QFETCH(bool, noData);
    QFETCH(bool, html);
    LocalService service(arguments);
    QVERIFY2(service.start(), qPrintable(service.errorString()));

    const RawReply reply = PostDay(service, "USAINTC", "6-Jun-05");
    QCOMPARE(reply.status(), status);
    QVERIFY(reply.header("Content-Type").starts_with("text/html"));
    const std::string body = reply.body();
    QVERIFY(std::count(body.begin(), body.end(), '\n') <= maxLines);
    QCOMPARE(HasNoData(reply), noData);
    QCOMPARE(body.find("<html>") != std::string::npos, html);
    QCOMPARE(body == ExpectedPage("USAINTC", "6-Jun-05"), arguments[0] == "--delay-ms");
    if (arguments[0] == "--half-days")
        QCOMPARE(QString::fromStdString(body).count(" GMT "), 43);
}

void TestQuoteService::closeSendsNothing() {
    LocalService service({"--close"});
    QVERIFY2(service.start(), qPrintable(service.errorString()));

    const RawReply reply = PostDay(service, "DJI", "6-Jun-05");
    QVERIFY(!reply.timedOut);
    QCOMPARE(reply.bytes, "");
    QCOMPARE(service.requestLog().size(), 1);
}

void TestQuoteService::resetCutsTheBody() {
    LocalService service({"--reset-mid-body"});
    QVERIFY2(service.start(), qPrintable(service.errorString()));

    const RawReply reply = PostDay(service, "DJI", "6-Jun-05");
    QVERIFY(!reply.timedOut);
    QCOMPARE(reply.status(), 200);
    const std::string expected = ExpectedPage("DJI", "6-Jun-05");
    QCOMPARE(reply.header("Content-Length"), std::to_string(expected.size()));
    QVERIFY(reply.reset);
    QVERIFY(!reply.body().empty() && reply.body().size() < expected.size());
    QVERIFY(expected.starts_with(reply.body()));
}

void TestQuoteService::dripStillDeliversTheWholePage() {
    LocalService service({"--drip-ms", "1"});
    QVERIFY2(service.start(), qPrintable(service.errorString()));

    const RawReply reply = PostDay(service, "FTSE", "6-Jun-05");
    QCOMPARE(reply.header("Transfer-Encoding"), "chunked");
    QCOMPARE(reply.body(), ExpectedPage("FTSE", "6-Jun-05"));
}

void TestQuoteService::hugePageIsValidAndLarge() {
    LocalService service({"--huge-mb", "2"});
    QVERIFY2(service.start(), qPrintable(service.errorString()));

    const std::string body = PostDay(service, "frxEURCHF", "6-Jun-05").body();
    QVERIFY(body.size() >= 2u << 20);
    QVERIFY(body.starts_with("<html>"));
    QVERIFY(body.ends_with("</html>\n"));
}

void TestQuoteService::charsetIsDeclaredAndUsed() {
    LocalService service({"--charset", "UTF-16"});
    QVERIFY2(service.start(), qPrintable(service.errorString()));

    const RawReply reply = PostDay(service, "frxEURGBP", "6-Jun-05");
    QCOMPARE(reply.header("Content-Type"), "text/html; charset=UTF-16");
    const std::string body = reply.body();
    QStringDecoder decode(QStringDecoder::Utf16);
    const QString text = decode(QByteArrayView(body.data(), qsizetype(body.size())));
    QVERIFY(!decode.hasError());
    QCOMPARE(text, QString::fromStdString(QuotePageHtml("frxEURGBP", "6-Jun-05")));
}

void TestQuoteService::redirectLeadsToThePageWithACookie() {
    LocalService service({"--redirect"});
    QVERIFY2(service.start(), qPrintable(service.errorString()));

    const RawReply redirect = PostDay(service, "UK_BT", "6-Jun-05");
    QCOMPARE(redirect.status(), 302);
    const std::string location = redirect.header("Location");
    QCOMPARE(location, "/e/result.htm?stk=UK_BT&date=6-Jun-05");
    const std::string cookie = redirect.header("Set-Cookie");
    QVERIFY(cookie.starts_with("session="));

    const std::string session = cookie.substr(0, cookie.find(';'));
    const RawReply page =
        Exchange(service.port(), "GET http://www.vorn.example" + location +
                                     " HTTP/1.1\r\nHost: www.vorn.example\r\nCookie: " + session +
                                     "\r\nConnection: close\r\n\r\n");
    QCOMPARE(page.status(), 200);
    QCOMPARE(page.body(), ExpectedPage("UK_BT", "6-Jun-05"));
    const QStringList log = service.requestLog();
    QCOMPARE(log.size(), 2);
    QVERIFY2(log[1].startsWith("GET\thttp://www.vorn.example/e/result.htm?") &&
                 log[1].contains("\t" + QString::fromStdString(session) + "\t"),
             qPrintable(log[1]));
}

void TestQuoteService::setCookieOnlyWithoutASession() {
    LocalService service({"--set-cookie"});
    QVERIFY2(service.start(), qPrintable(service.errorString()));

    QVERIFY(PostDay(service, "SPC", "6-Jun-05").header("Set-Cookie").starts_with("session="));
    const RawReply withSession = PostDay(service, "SPC", "6-Jun-05", "Cookie: session=s1\r\n");
    QCOMPARE(withSession.header("Set-Cookie"), "");
    QCOMPARE(withSession.body(), ExpectedPage("SPC", "6-Jun-05"));
}

void TestQuoteService::hangingRequestDoesNotDelayShutdown() {
    LocalService service({"--hang"});
    QVERIFY2(service.start(), qPrintable(service.errorString()));

    const RawReply reply =
        Exchange(service.port(), FormPost(kPagePath, DayForm("SSMI", "6-Jun-05")), 300);
    QVERIFY(reply.timedOut);
    QCOMPARE(reply.bytes, "");
    QVERIFY(service.stop());
}

QTEST_GUILESS_MAIN(TestQuoteService)
#include "tst_quoteservice.moc"
