// The parser on hand-made pages: which records become lines, how time and price are cut
// out of them, and when a page counts as holding no data.
#include "page/DayPage.h"
#include "PageBytes.h"

#include <QtTest>

using namespace pellmark;
using pellmark::test::Bytes;
using pellmark::test::ToList;
using pellmark::test::View;

Q_DECLARE_METATYPE(pellmark::LineOrder)

namespace {

const QByteArray M = "<BR>&nbsp; ";
const QByteArray kThreeRecords = "<B>AUDUSD</B>" + M + "00:00:00 GMT 1.2340 (bid)\r\n" + M +
                                 "00:05:00 GMT 1.2345 (bid)\r\n" + M +
                                 "00:10:00 GMT 1.2350 (bid)\r\n";

} // namespace

class TestIntradayParser : public QObject {
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void noData_data();
    void noData();
    void noneTestIgnoresCase();
    void outputWithinPage_data();
    void outputWithinPage();
    void countPageLines_data();
    void countPageLines();
};

void TestIntradayParser::parse_data() {
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<LineOrder>("order");
    QTest::addColumn<QByteArray>("separator");
    QTest::addColumn<QByteArrayList>("lines");

    const auto price = LineOrder::PriceFirst;
    const auto time = LineOrder::TimeFirst;

    QTest::newRow("record after the first marker skipped")
        << kThreeRecords << price << Bytes(" - ")
        << QByteArrayList{"1.2345 - 00:05", "1.2350 - 00:10"};
    QTest::newRow("time first, empty separator")
        << kThreeRecords << time << QByteArray() << QByteArrayList{"00:051.2345", "00:101.2350"};
    QTest::newRow("time first, separator kept")
        << kThreeRecords << time << Bytes(" ; ")
        << QByteArrayList{"00:05 ; 1.2345", "00:10 ; 1.2350"};
    QTest::newRow("CR-only breaks") << "h\r" + M + "x\r" + M + "00:05:00 GMT 1.2 (a)\r" << price
                                    << Bytes(" - ") << QByteArrayList{"1.2 - 00:05"};
    QTest::newRow("no marker: ten characters dropped twice")
        << Bytes("0123456789ABCDEFGHIJ12:34:56 GMT 9.87 (z)") << price << Bytes(" - ")
        << QByteArrayList{"9.87 - 12:34"};
    QTest::newRow("one marker: ten characters dropped after it")
        << "head" + M + "012345678901:02:03 GMT 5.5 (q)" << price << Bytes(" - ")
        << QByteArrayList{"5.5 - 01:02"};
    QTest::newRow("drop ends inside a CR LF pair")
        << "h" + M + "012345678\n00:05:00 GMT 1.2 (a)" << price << Bytes(" - ")
        << QByteArrayList{"1.2 - \r\n:0:"};
    QTest::newRow("short time") << "h" + M + "x" + M + "1:00:00 GMT 2.0 (a)" << price
                                << Bytes(" - ") << QByteArrayList{"2.0 - 1::0"};
    QTest::newRow("data after a NUL ignored")
        << "h" + M + "x" + M + "00:05:00 GMT 1.1 (a)" + Bytes("\0") + M + "00:10:00 GMT 2 (b)"
        << price << Bytes(" - ") << QByteArrayList{"1.1 - 00:05"};
    QTest::newRow("record without ' (' gets no price")
        << "h" + M + "x" + M + "00:05:00 GMT 1.1\n" + M + "00:10:00 GMT 2.2 (y)" << price
        << Bytes(" - ") << QByteArrayList{" - 00:05", "2.2 - 00:10"};
    QTest::newRow("record without 'GMT ' or ' (' gets no price")
        << "h" + M + "x" + M + "00:05:00 1.1" + M + "00:10:00 GMT 2.2 (b)" << price << Bytes(" - ")
        << QByteArrayList{" - 00:05", "2.2 - 00:10"};
    QTest::newRow("record without 'GMT ': price from its fourth character")
        << "h" + M + "x" + M + "00:05:00 1.1 (a)" + M + "00:10:00 GMT 2.2 (b)" << time
        << Bytes(" - ") << QByteArrayList{"00:05 - 05:00 1.1", "00:10 - 2.2"};
    QTest::newRow("record without a space gets no time")
        << "h" + M + "x" + M + "00:05:00 GMT 1.1 (a)" + M + "12:00:00" + M + "00:10:00 GMT 2.2 (b)"
        << price << Bytes(" - ") << QByteArrayList{"1.1 - 00:05", " - :", "2.2 - 00:10"};
    QTest::newRow("last record without 'GMT ': price from the fourth character")
        << "h" + M + "x" + M + "12:00:00 7.5 (a)" << price << Bytes(" - ")
        << QByteArrayList{"00:00 7.5 - 12:00"};
    QTest::newRow("first record with a price but no time kept")
        << "h" + M + "x" + M + " GMT 3.3 (a)" << price << Bytes(" - ") << QByteArrayList{"3.3 - :"};
    QTest::newRow("empty record after the first kept")
        << "h" + M + "x" + M + "00:05:00 GMT 1.1 (a)" + M + " (b)" << price << Bytes(" - ")
        << QByteArrayList{"1.1 - 00:05", " - :"};
}

void TestIntradayParser::parse() {
    QFETCH(QByteArray, page);
    QFETCH(LineOrder, order);
    QFETCH(QByteArray, separator);
    QFETCH(QByteArrayList, lines);

    QCOMPARE(ToList(ParseIntradayPage(View(page), order, View(separator))), lines);
}

void TestIntradayParser::noData_data() {
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<LineOrder>("order");
    QTest::addColumn<QByteArray>("separator");

    const auto price = LineOrder::PriceFirst;
    const auto time = LineOrder::TimeFirst;
    const QByteArray emptyFirst = "h" + M + "x" + M + " (a)" + M + "00:10:00 GMT 2.2 (b)";

    QTest::newRow("no-data text after the records")
        << kThreeRecords + "There is no intraday data" << price << Bytes(" - ");
    QTest::newRow("no-data text at the start")
        << "There is no intraday data for this day" + kThreeRecords << time << QByteArray();
    QTest::newRow("nothing left, defaults") << Bytes("short") << price << Bytes(" - ");
    QTest::newRow("nothing left, time first") << Bytes("short") << time << Bytes(" - ");
    QTest::newRow("nothing left, empty separator") << Bytes("short") << price << QByteArray();
    QTest::newRow("nothing left, separator with breaks") << QByteArray() << time << Bytes("\r\n");
    QTest::newRow("nothing left, marker as separator") << Bytes("0123456789") << price << M;
    QTest::newRow("empty first record, later data, defaults")
        << emptyFirst << price << Bytes(" - ");
    QTest::newRow("empty first record, later data, time first") << emptyFirst << time << Bytes("|");
}

void TestIntradayParser::noData() {
    QFETCH(QByteArray, page);
    QFETCH(LineOrder, order);
    QFETCH(QByteArray, separator);

    QCOMPARE(ToList(ParseIntradayPage(View(page), order, View(separator))), QByteArrayList{"none"});
}

void TestIntradayParser::noneTestIgnoresCase() {
    QVERIFY(ResultMeansNoData("none\r\n"));
    QVERIFY(ResultMeansNoData("1.2 - 00:05\r\nNoNe\r\n"));
    QVERIFY(!ResultMeansNoData("1.2345 - 00:05\r\n"));
}

void TestIntradayParser::outputWithinPage_data() {
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<qsizetype>("lineCount");

    // 5,000 records of 31 bytes: about 155 KB. A search that ran on into later records
    // would give every line the rest of the page, hundreds of megabytes in all.
    const QByteArray noParen = (M + "00:05:00 GMT 1.2345\r\n").repeated(5000);
    const QByteArray noGmtNoParen = (M + "00:05:00 1.2345 bid\r\n").repeated(5000);
    QTest::newRow("records without ' (', footer with one")
        << "<B>AUDUSD</B>" + noParen + "Quotes (c) 2005\r\n"
        << qsizetype(4999);
    QTest::newRow("records without 'GMT ' or ' (', footer with both")
        << "<B>AUDUSD</B>" + noGmtNoParen + "GMT 1 (c) 2005\r\n"
        << qsizetype(4999);
}

void TestIntradayParser::outputWithinPage() {
    QFETCH(QByteArray, page);
    QFETCH(qsizetype, lineCount);

    const QByteArrayList lines =
        ToList(ParseIntradayPage(View(page), LineOrder::PriceFirst, " - "));
    QCOMPARE(lines.size(), lineCount);
    QCOMPARE(lines.first(), QByteArray(" - 00:05"));
    QVERIFY2(lines.join("\r\n").size() < page.size(),
             QByteArray::number(lines.join("\r\n").size()).constData());
}

void TestIntradayParser::countPageLines_data() {
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<qulonglong>("count");
    QTest::addColumn<bool>("bad"); // fetched again

    QTest::newRow("empty") << QByteArray() << 0ULL << true;
    QTest::newRow("five CR LF lines") << Bytes("a\r\nb\r\nc\r\nd\r\ne\r\n") << 5ULL << true;
    QTest::newRow("unended last line") << Bytes("a\nb\nc\nd\ne") << 5ULL << true;
    QTest::newRow("LF CR is two breaks") << Bytes("a\n\rb\n\rc") << 5ULL << true;
    QTest::newRow("lines after NUL not counted") << Bytes("a\nb\nc\nd\ne\0\nf\ng") << 5ULL << true;
    QTest::newRow("quotes in five lines") << kThreeRecords + "Bid\r\nAsk\r\n" << 5ULL << true;
    QTest::newRow("quotes in six lines") << kThreeRecords + "Bid\r\nAsk\r\nGMT\r\n"
                                         << 6ULL << false;
}

void TestIntradayParser::countPageLines() {
    QFETCH(QByteArray, page);
    QFETCH(qulonglong, count);
    QFETCH(bool, bad);

    QCOMPARE(static_cast<qulonglong>(CountPageLines(View(page))), count);
    QCOMPARE(IsBadPage(View(page)), bad);
}

QTEST_APPLESS_MAIN(TestIntradayParser)
#include "tst_intradayparser.moc"
