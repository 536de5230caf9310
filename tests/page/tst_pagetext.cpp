// The line rules and the 1-based find and sub that every text in the program follows.
#include "core/TextLines.h"
#include "PageBytes.h"
#include "TextPositions.h"

#include <QtTest>

#include <climits>

using namespace pellmark;
using pellmark::test::Bytes;
using pellmark::test::FromList;
using pellmark::test::ToList;
using pellmark::test::View;

class TestPageText : public QObject {
    Q_OBJECT

private slots:
    void splitLines_data();
    void splitLines();
    void joinLines_data();
    void joinLines();
    void normaliseLines_data();
    void normaliseLines();
    void find_data();
    void find();
    void sub_data();
    void sub();
};

void TestPageText::splitLines_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArrayList>("lines");

    QTest::newRow("empty text has no lines") << QByteArray() << QByteArrayList{};
    QTest::newRow("no break") << Bytes("abc") << QByteArrayList{"abc"};
    QTest::newRow("CR LF is one break") << Bytes("a\r\nb") << QByteArrayList{"a", "b"};
    QTest::newRow("CR alone") << Bytes("a\rb") << QByteArrayList{"a", "b"};
    QTest::newRow("LF alone") << Bytes("a\nb") << QByteArrayList{"a", "b"};
    QTest::newRow("LF CR is two breaks") << Bytes("a\n\rb") << QByteArrayList{"a", "", "b"};
    QTest::newRow("CR CR LF") << Bytes("a\r\r\nb") << QByteArrayList{"a", "", "b"};
    QTest::newRow("break at the end starts no line") << Bytes("a\r\n") << QByteArrayList{"a"};
    QTest::newRow("five CR LF lines")
        << Bytes("1\r\n2\r\n3\r\n4\r\n5\r\n") << QByteArrayList{"1", "2", "3", "4", "5"};
    QTest::newRow("lone break is one empty line") << Bytes("\r\n") << QByteArrayList{""};
    QTest::newRow("LF CR at the end") << Bytes("a\n\r") << QByteArrayList{"a", ""};
    QTest::newRow("leading breaks") << Bytes("\n\nx") << QByteArrayList{"", "", "x"};
    QTest::newRow("text after NUL ignored") << Bytes("a\0b\r\nc") << QByteArrayList{"a"};
    QTest::newRow("NUL first") << Bytes("\0abc") << QByteArrayList{};
    QTest::newRow("NUL splits a CR LF pair") << Bytes("a\r\0\nb") << QByteArrayList{"a"};
}

void TestPageText::splitLines() {
    QFETCH(QByteArray, text);
    QFETCH(QByteArrayList, lines);

    QCOMPARE(ToList(SplitLines(View(text))), lines);
    QCOMPARE(CountLines(View(text)), static_cast<std::size_t>(lines.size()));
}

void TestPageText::joinLines_data() {
    QTest::addColumn<QByteArrayList>("lines");
    QTest::addColumn<QByteArray>("text");

    QTest::newRow("no lines") << QByteArrayList{} << QByteArray();
    QTest::newRow("one empty line") << QByteArrayList{""} << Bytes("\r\n");
    QTest::newRow("last line ended too") << QByteArrayList{"a", "b"} << Bytes("a\r\nb\r\n");
    QTest::newRow("lines kept as they are") << QByteArrayList{"a\nb", ""} << Bytes("a\nb\r\n\r\n");
}

void TestPageText::joinLines() {
    QFETCH(QByteArrayList, lines);
    QFETCH(QByteArray, text);

    QCOMPARE(QByteArray::fromStdString(JoinLines(FromList(lines))), text);
}

void TestPageText::normaliseLines_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("normalised");

    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("trailing line gains CR LF") << Bytes("a") << Bytes("a\r\n");
    QTest::newRow("mixed breaks") << Bytes("a\rb\nc\r\nd\n\re")
                                  << Bytes("a\r\nb\r\nc\r\nd\r\n\r\ne\r\n");
    QTest::newRow("already whole lines") << Bytes("a\r\n\r\nb\r\n") << Bytes("a\r\n\r\nb\r\n");
    QTest::newRow("LF first gains CR") << Bytes("\nx") << Bytes("\r\nx\r\n");
    QTest::newRow("cut at NUL") << Bytes("ab\r\0cd") << Bytes("ab\r\n");
}

void TestPageText::normaliseLines() {
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, normalised);

    QCOMPARE(QByteArray::fromStdString(NormaliseLines(View(text))), normalised);
}

void TestPageText::find_data() {
    QTest::addColumn<QByteArray>("needle");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<qulonglong>("position");

    QTest::newRow("at the start") << Bytes("a") << Bytes("abc") << 1ULL;
    QTest::newRow("inside") << Bytes("bc") << Bytes("abcbc") << 2ULL;
    QTest::newRow("at the end") << Bytes("c") << Bytes("abc") << 3ULL;
    QTest::newRow("whole text") << Bytes("abc") << Bytes("abc") << 1ULL;
    QTest::newRow("absent") << Bytes("x") << Bytes("abc") << 0ULL;
    QTest::newRow("longer than text") << Bytes("abcd") << Bytes("abc") << 0ULL;
    QTest::newRow("case matters") << Bytes("<br>") << Bytes("<BR>") << 0ULL;
    QTest::newRow("in empty text") << Bytes("a") << QByteArray() << 0ULL;
    QTest::newRow("empty needle") << QByteArray() << Bytes("abc") << 0ULL;
    QTest::newRow("past a NUL") << Bytes("b") << Bytes("a\0b") << 3ULL;
}

void TestPageText::find() {
    QFETCH(QByteArray, needle);
    QFETCH(QByteArray, text);
    QFETCH(qulonglong, position);

    QCOMPARE(static_cast<qulonglong>(Find(View(needle), View(text))), position);
}

void TestPageText::sub_data() {
    QTest::addColumn<qlonglong>("index");
    QTest::addColumn<qlonglong>("count");
    QTest::addColumn<QByteArray>("part");

    // Every row cuts "abcdef".
    QTest::newRow("from the start") << 1LL << 3LL << Bytes("abc");
    QTest::newRow("inside") << 3LL << 2LL << Bytes("cd");
    QTest::newRow("index 0 counts as 1") << 0LL << 3LL << Bytes("abc");
    QTest::newRow("negative index keeps the count") << -5LL << 2LL << Bytes("ab");
    QTest::newRow("lowest index") << LLONG_MIN << 1LL << Bytes("a");
    QTest::newRow("last character") << 6LL << 1LL << Bytes("f");
    QTest::newRow("index past the end") << 7LL << 1LL << QByteArray();
    QTest::newRow("huge index") << LLONG_MAX << LLONG_MAX << QByteArray();
    QTest::newRow("count 0") << 2LL << 0LL << QByteArray();
    QTest::newRow("negative count") << 2LL << -1LL << QByteArray();
    QTest::newRow("count cut at the end") << 4LL << 100LL << Bytes("def");
    QTest::newRow("huge count") << 2LL << LLONG_MAX << Bytes("bcdef");
}

void TestPageText::sub() {
    QFETCH(qlonglong, index);
    QFETCH(qlonglong, count);
    QFETCH(QByteArray, part);

    QCOMPARE(QByteArray::fromStdString(Sub("abcdef", index, count)), part);
    QCOMPARE(Sub("", index, count), std::string());
}

QTEST_APPLESS_MAIN(TestPageText)
#include "tst_pagetext.moc"
