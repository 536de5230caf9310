// pellmark-parse-page run as a user runs it: a page on standard input, the day's file on
// standard output.
#include <QtTest>

namespace {

QByteArray SamplePage() {
    QFile file(QStringLiteral(PELLMARK_SAMPLE_PAGE));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", PELLMARK_SAMPLE_PAGE);
    return file.readAll();
}

// The quotes of the sample page from the second record on, as price and time.
const QList<QPair<QByteArray, QByteArray>> kSampleQuotes{
    {"0.7612", "00:00"}, {"0.7615", "00:05"}, {"0.7611", "00:10"}, {"0.7608", "00:15"},
    {"0.7610", "00:20"}, {"0.7614", "00:25"}, {"0.7619", "00:30"}, {"0.7617", "00:35"},
    {"0.7622", "00:40"}, {"0.7620", "00:45"}, {"0.7616", "00:50"}, {"0.7618", "00:55"}};

QByteArray SampleDay(bool timeFirst, const QByteArray& separator) {
    QByteArray day;
    for (const auto& [price, time] : kSampleQuotes)
        day += (timeFirst ? time + separator + price : price + separator + time) + "\r\n";
    return day;
}

struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run RunTool(const QStringList& arguments, const QByteArray& input) {
    QProcess tool;
    tool.start(QStringLiteral(PELLMARK_PARSE_PAGE_TOOL), arguments);
    if (!tool.waitForStarted())
        return {};
    tool.write(input);
    tool.closeWriteChannel();
    // The sanitizers' build takes close to half a minute over the page that is too complex.
    if (!tool.waitForFinished(120000) || tool.exitStatus() != QProcess::NormalExit)
        return {};
    return {tool.exitCode(), tool.readAllStandardOutput(), tool.readAllStandardError()};
}

} // namespace

class TestParsePageTool : public QObject {
    Q_OBJECT

private slots:
    void writesTheDayFile_data();
    void writesTheDayFile();
    void refusesBadOptions_data();
    void refusesBadOptions();
    void pageTooComplexExitsOne();
};

void TestParsePageTool::writesTheDayFile_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("day");

    const QByteArray record = "<br>&nbsp; Time\n<br>&nbsp; 00:05:00 GMT 1.5\xC1 (x)\n";

    QTest::newRow("sample page, defaults")
        << QStringList{} << SamplePage() << SampleDay(false, " - ");
    QTest::newRow("time first, ; separator")
        << QStringList{"--time-first", "--sep", ";"} << SamplePage() << SampleDay(true, ";");
    QTest::newRow("empty separator")
        << QStringList{"--sep", ""} << SamplePage() << SampleDay(false, "");
    QTest::newRow("no-data page") << QStringList{}
                                  << QByteArray("<html><body><p>There is no intraday data for "
                                                "frxAUDUSD on 4-Jun-05</p></body></html>")
                                  << QByteArray("none\r\n");
    QTest::newRow("empty input") << QStringList{} << QByteArray() << QByteArray("none\r\n");
    QTest::newRow("windows-1252 by default")
        << QStringList{} << record << QByteArray("1.5\xC3\x81 - 00:05\r\n");
    QTest::newRow("--charset") << QStringList{"--charset", "koi8-r"} << record
                               << QByteArray("1.5\xD0\xB0 - 00:05\r\n");
    QTest::newRow("--body takes the bytes as they are")
        << QStringList{"--body"}
        << QByteArray("<BR>&nbsp; Time\n<BR>&nbsp; 00:05:00 GMT 1.5\xC1 (x)")
        << QByteArray("1.5\xC1 - 00:05\r\n");
    QTest::newRow("one marker holds no quotes")
        << QStringList{} << QByteArray("<p>h<br>&nbsp; 012345678900:05:00 GMT 1.5 (q)</p>")
        << QByteArray("none\r\n");
    QTest::newRow("second marker after a NUL not counted")
        << QStringList{"--body"}
        << QByteArray("h<BR>&nbsp; 012345678900:05:00 GMT 1.5 (q)\0<BR>&nbsp; ", 54)
        << QByteArray("none\r\n");
    QTest::newRow("--print-body writes the body HTML")
        << QStringList{"--print-body", "--time-first"}
        << QByteArray("<html><body bgcolor=white><p>x<br>&nbsp; 1\xA0(c)</body></html>")
        << QByteArray("<P>x<BR>&nbsp; 1&nbsp;(c)</P>");
}

void TestParsePageTool::writesTheDayFile() {
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, day);

    const Run run = RunTool(arguments, input);
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, day);
    QCOMPARE(run.err, QByteArray());
}

void TestParsePageTool::refusesBadOptions_data() {
    QTest::addColumn<QStringList>("arguments");

    QTest::newRow("unknown option") << QStringList{"--price-first"};
    QTest::newRow("stray argument") << QStringList{"page.html"};
    QTest::newRow("--sep without text") << QStringList{"--sep"};
    QTest::newRow("--charset without name") << QStringList{"--body", "--charset"};
}

void TestParsePageTool::refusesBadOptions() {
    QFETCH(QStringList, arguments);

    const Run run = RunTool(arguments, SamplePage());
    QCOMPARE(run.exitCode, 2);
    QCOMPARE(run.out, QByteArray());
    QVERIFY(run.err.startsWith("pellmark-parse-page: "));
    QVERIFY(run.err.endsWith("\nTry 'pellmark-parse-page --help' for more information.\n"));
}

// A thousand bold tags reopened in every paragraph would build a tree of gigabytes.
void TestParsePageTool::pageTooComplexExitsOne() {
    QByteArray page = "<html><body><p>";
    for (int i = 0; i < 1000; ++i)
        page += "<b id=" + QByteArray::number(i) + ">";
    const Run run = RunTool({}, page + QByteArray("<p>x").repeated(10000));
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.out, QByteArray());
    QCOMPARE(run.err, QByteArray("pellmark-parse-page: page too complex\n"));
}

QTEST_APPLESS_MAIN(TestParsePageTool)
#include "tst_parsepagetool.moc"
