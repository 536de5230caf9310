// The form body, the service URL and the extra header text the fetch hands to the browser.
#include "net/HiddenBrowser.h"
#include "net/QuoteFetch.h"
#include "net/QuoteService.h"

#include <QtTest>

using namespace pellmark;

Q_DECLARE_METATYPE(pellmark::Category)

class FormRequestTest : public QObject {
    Q_OBJECT
private slots:
    void formBody_data();
    void formBody();
    void serviceUrl_data();
    void serviceUrl();
    void headerText_data();
    void headerText();
};

void FormRequestTest::formBody_data() {
    QTest::addColumn<Category>("category");
    QTest::addColumn<QByteArray>("symbol");
    QTest::addColumn<QByteArray>("dateLabel");
    QTest::addColumn<QByteArray>("body");

    QTest::newRow("currency pair")
        << Category::Forex << QByteArray("AUDUSD") << QByteArray("5-Jun-05")
        << QByteArray("w=CR&l=GB&stk=frxAUDUSD&date=5-Jun-05");
    QTest::newRow("stock") << Category::Stocks << QByteArray("USAMSFT") << QByteArray("15-Dec-06")
                           << QByteArray("w=CR&l=GB&stk=USAMSFT&date=15-Dec-06");
    QTest::newRow("index") << Category::Indices << QByteArray("DJI") << QByteArray("5-Jun-05")
                           << QByteArray("w=CR&l=GB&stk=DJI&date=5-Jun-05");
    QTest::newRow("nothing checked")
        << Category::None << QByteArray("AUDUSD") << QByteArray("5-Jun-05") << QByteArray();
    QTest::newRow("empty symbol") << Category::Stocks << QByteArray() << QByteArray("5-Jun-05")
                                  << QByteArray("w=CR&l=GB&stk=&date=5-Jun-05");
    QTest::newRow("service codes unchanged")
        << Category::Indices << QByteArray("AZ_az-09.*") << QByteArray("1-Jan-05")
        << QByteArray("w=CR&l=GB&stk=AZ_az-09.*&date=1-Jan-05");
    QTest::newRow("form delimiters escaped")
        << Category::Forex << QByteArray("A&B=C%D/E") << QByteArray("5 Jun+05")
        << QByteArray("w=CR&l=GB&stk=frxA%26B%3DC%25D%2FE&date=5+Jun%2B05");
    QTest::newRow("non-ASCII month bytes")
        << Category::Stocks << QByteArray("X") << QByteArray("5-M\xc3\xa4r-05")
        << QByteArray("w=CR&l=GB&stk=X&date=5-M%C3%A4r-05");
    QTest::newRow("line breaks escaped")
        << Category::Stocks << QByteArray("X\r\nY") << QByteArray("1-Jan-05")
        << QByteArray("w=CR&l=GB&stk=X%0D%0AY&date=1-Jan-05");
}

void FormRequestTest::formBody() {
    QFETCH(Category, category);
    QFETCH(QByteArray, symbol);
    QFETCH(QByteArray, dateLabel);
    QFETCH(QByteArray, body);
    QCOMPARE(QByteArray::fromStdString(
                 BuildFormBody(category, symbol.toStdString(), dateLabel.toStdString())),
             body);
}

void FormRequestTest::serviceUrl_data() {
    QTest::addColumn<QByteArray>("hostLabel");
    QTest::addColumn<QByteArray>("url");
    QTest::newRow("default label")
        << QByteArray(kDefaultHostLabel.data(), kDefaultHostLabel.size())
        << QByteArray("http://www.vorn.example//e/c_viewhourly/o_cgi_.htm");
    QTest::newRow("other label") << QByteArray("uk")
                                 << QByteArray("http://uk.vorn.example//e/c_viewhourly/o_cgi_.htm");
}

void FormRequestTest::serviceUrl() {
    QFETCH(QByteArray, hostLabel);
    QFETCH(QByteArray, url);
    QCOMPARE(QByteArray::fromStdString(BuildServiceUrl(hostLabel.toStdString())), url);
}

void FormRequestTest::headerText_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("headers");
    QTest::newRow("form header") << QByteArray(kFormHeaders.data(), kFormHeaders.size())
                                 << QStringList{"Content-Type: application/x-www-form-urlencoded"};
    QTest::newRow("mixed breaks and blank lines")
        << QByteArray("\r\nA: 1\r\n\nB:2\rC :  three  \n\r")
        << QStringList{"A: 1", "B: 2", "C: three"};
    QTest::newRow("no trailing break") << QByteArray("X-Token: a:b") << QStringList{"X-Token: a:b"};
    QTest::newRow("empty value kept") << QByteArray("X-Empty:\n") << QStringList{"X-Empty:"};
    QTest::newRow("lines without a name dropped")
        << QByteArray("no colon here\n: nameless\nBad Name: x\nOk: y") << QStringList{"Ok: y"};
    QTest::newRow("empty text") << QByteArray() << QStringList{};
}

void FormRequestTest::headerText() {
    QFETCH(QByteArray, text);
    QFETCH(QStringList, headers);
    QStringList parsed;
    for (const std::string& header : ParseHeaderText(text.toStdString()))
        parsed << QString::fromStdString(header);
    QCOMPARE(parsed, headers);
}

QTEST_GUILESS_MAIN(FormRequestTest)
#include "tst_formrequest.moc"
