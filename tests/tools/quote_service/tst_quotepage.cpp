// The pages of the local quote service, computed without HTTP.
#include "QuotePage.h"

#include <QRegularExpression>
#include <QTest>

using namespace pellmark;

namespace {

const CalendarDay kToday{2026, 12, 7};

int CountOf(const std::string& text, std::string_view needle) {
    int count = 0;
    for (auto at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
        ++count;
    return count;
}

std::vector<std::string> Prices(std::string_view stk, std::string_view date) {
    std::vector<std::string> prices;
    for (const QuoteRecord& quote : DayQuotes(stk, date, kToday))
        prices.push_back(quote.price);
    return prices;
}

int Seconds(const QString& hours, const QString& minutes, const QString& seconds) {
    return hours.toInt() * 3600 + minutes.toInt() * 60 + seconds.toInt();
}

} // namespace

class TestQuotePage : public QObject {
    Q_OBJECT

private slots:
    void recordsHaveTheServiceLayout_data();
    void recordsHaveTheServiceLayout();
    void pageIsDeterministicPerSymbolAndDay();
    void daysWithoutQuotesGiveTheNoDataPage_data();
    void daysWithoutQuotesGiveTheNoDataPage();
    void paddedPageRepeatsTheRecords();
    void shortPageIsShortAndNotNoData();
};

void TestQuotePage::recordsHaveTheServiceLayout_data() {
    QTest::addColumn<QString>("stk");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("firstTime");
    QTest::addColumn<QString>("lastTime");

    QTest::newRow("currency pair") << "frxAUDUSD" << 4 << "00:00:00"
                                   << "23:55:00";
    QTest::newRow("yen pair") << "frxGBPJPY" << 2 << "00:00:00"
                              << "23:55:00";
    QTest::newRow("USA stock") << "USAMSFT" << 2 << "14:30:00"
                               << "21:00:00";
    QTest::newRow("UK stock") << "UK_LLOY" << 2 << "08:00:00"
                              << "16:30:00";
    QTest::newRow("USA index") << "DJI" << 2 << "14:30:00"
                               << "21:00:00";
    QTest::newRow("European index") << "GDAXI" << 2 << "08:00:00"
                                    << "16:30:00";
    QTest::newRow("volatility index") << "R_75" << 2 << "00:00:00"
                                      << "23:55:00";
}

void TestQuotePage::recordsHaveTheServiceLayout() {
    QFETCH(QString, stk);
    QFETCH(int, decimals);
    QFETCH(QString, firstTime);
    QFETCH(QString, lastTime);

    const std::string page = QuotePageHtml(stk.toStdString(), "6-Jun-05", kToday);
    const auto quotes = DayQuotes(stk.toStdString(), "6-Jun-05", kToday);
    QVERIFY(!quotes.empty());
    QVERIFY(page.starts_with("<html>"));
    QCOMPARE(CountOf(page, "<br>&nbsp; "), int(quotes.size()) + 1);
    QCOMPARE(CountOf(page, kNoDataPageText), 0);

    const QString number = QStringLiteral("(\\d+\\.\\d{%1})").arg(decimals);
    const QRegularExpression record(QStringLiteral("^<br>&nbsp; (\\d\\d):(\\d\\d):(\\d\\d) GMT %1 "
                                                   "\\(%1 / %1\\)$")
                                        .arg(number));
    QStringList times;
    double firstPrice = 0;
    int previousSecond = -1;
    for (const QString& line : QString::fromStdString(page).split(u'\n')) {
        if (!line.startsWith(u"<br>&nbsp; ") || line.contains(u"Time Price"))
            continue;
        const auto match = record.match(line);
        QVERIFY2(match.hasMatch(), qPrintable(line));
        const int second = Seconds(match.captured(1), match.captured(2), match.captured(3));
        QVERIFY2(previousSecond < 0 || second == previousSecond + 300, qPrintable(line));
        previousSecond = second;
        times << line.mid(11, 8);

        const double price = match.captured(4).toDouble();
        QVERIFY(match.captured(5).toDouble() < price && price < match.captured(6).toDouble());
        if (firstPrice == 0)
            firstPrice = price;
        QVERIFY2(price > firstPrice * 0.8 && price < firstPrice * 1.2, qPrintable(line));
    }
    QCOMPARE(times.size(), int(quotes.size()));
    QCOMPARE(times.first(), firstTime);
    QCOMPARE(times.last(), lastTime);
}

void TestQuotePage::pageIsDeterministicPerSymbolAndDay() {
    const std::string page = QuotePageHtml("frxEURUSD", "8-Jun-05", kToday);
    QCOMPARE(QuotePageHtml("frxEURUSD", "8-Jun-05", kToday), page);
    QCOMPARE(Prices("frxEURUSD", "08-jun-05"), Prices("frxEURUSD", "8-Jun-05"));
    QVERIFY(Prices("frxEURUSD", "9-Jun-05") != Prices("frxEURUSD", "8-Jun-05"));
    QVERIFY(Prices("frxGBPUSD", "8-Jun-05") != Prices("frxEURUSD", "8-Jun-05"));
}

void TestQuotePage::daysWithoutQuotesGiveTheNoDataPage_data() {
    QTest::addColumn<QString>("stk");
    QTest::addColumn<QString>("date");

    QTest::newRow("saturday") << "frxAUDUSD"
                              << "4-Jun-05";
    QTest::newRow("sunday") << "USAMSFT"
                            << "5-Jun-05";
    QTest::newRow("unknown symbol") << "frxAUDXYZ"
                                    << "6-Jun-05";
    QTest::newRow("pair without frx") << "AUDUSD"
                                      << "6-Jun-05";
    QTest::newRow("symbol in lower case") << "usamsft"
                                          << "6-Jun-05";
    QTest::newRow("before August 2004") << "DJI"
                                        << "30-Jul-04";
    QTest::newRow("after today") << "DJI"
                                 << "8-Dec-26";
    QTest::newRow("no such day") << "DJI"
                                 << "31-Jun-05";
    QTest::newRow("four-digit year") << "DJI"
                                     << "6-Jun-2005";
    QTest::newRow("numeric month") << "DJI"
                                   << "6-06-05";
    QTest::newRow("empty") << "DJI"
                           << "";
}

void TestQuotePage::daysWithoutQuotesGiveTheNoDataPage() {
    QFETCH(QString, stk);
    QFETCH(QString, date);

    QVERIFY(DayQuotes(stk.toStdString(), date.toStdString(), kToday).empty());
    const std::string page = QuotePageHtml(stk.toStdString(), date.toStdString(), kToday);
    QCOMPARE(page, NoDataPageHtml(stk.toStdString(), date.toStdString()));
    QCOMPARE(CountOf(page, kNoDataPageText), 1);
    QCOMPARE(CountOf(page, "<br>&nbsp; "), 0);
    QVERIFY(page.ends_with("</html>\n"));
}

void TestQuotePage::paddedPageRepeatsTheRecords() {
    const auto quotes = DayQuotes("frxUSDCHF", "3-Aug-04", kToday);
    const std::string padded = PaddedQuotePageHtml("frxUSDCHF", "3-Aug-04", 1 << 20, kToday);
    QVERIFY(padded.size() >= 1 << 20);
    QVERIFY(padded.ends_with("</html>\n"));
    const int records = CountOf(padded, "<br>&nbsp; ") - 1;
    QVERIFY(records > int(quotes.size()));
    QCOMPARE(records % int(quotes.size()), 0);
    QVERIFY(padded == LaidOutPageHtml("frxUSDCHF", "3-Aug-04",
                                      PaddedDayQuotes("frxUSDCHF", "3-Aug-04", 1 << 20, kToday),
                                      PageLayout{}));
}

void TestQuotePage::shortPageIsShortAndNotNoData() {
    const std::string page = ShortPageHtml();
    QVERIFY(CountOf(page, "\n") <= 5);
    QCOMPARE(CountOf(page, kNoDataPageText), 0);
    QCOMPARE(CountOf(page, "<br>"), 0);
}

QTEST_APPLESS_MAIN(TestQuotePage)
#include "tst_quotepage.moc"
