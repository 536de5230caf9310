// Which encoding a response is read with, and how its bytes become UTF-8.
#include "page/Charset.h"

#include <QtTest>

using namespace pellmark;

namespace {

template <std::size_t N> QByteArray Bytes(const char (&literal)[N]) {
    return QByteArray(literal, static_cast<qsizetype>(N - 1));
}

std::string_view View(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

const QByteArray kEuro = "\xE2\x82\xAC";
const QByteArray kCyrillicSmallA = "\xD0\xB0";     // 0xC1 in KOI8-R
const QByteArray kCyrillicCapitalBe = "\xD0\x91";  // 0xC1 in Windows-1251
const QByteArray kLatinCapitalAAcute = "\xC3\x81"; // 0xC1 in Windows-1252
const QByteArray kReplacement = "\xEF\xBF\xBD";

} // namespace

class TestCharset : public QObject {
    Q_OBJECT

private slots:
    void encodingForLabel_data();
    void encodingForLabel();
    void decode_data();
    void decode();
};

void TestCharset::encodingForLabel_data() {
    QTest::addColumn<QByteArray>("label");
    QTest::addColumn<QByteArray>("encoding"); // empty: not an encoding

    QTest::newRow("latin1 is read as windows-1252")
        << QByteArray("latin1") << QByteArray("windows-1252");
    QTest::newRow("ISO-8859-1 any case") << QByteArray("ISO-8859-1") << QByteArray("windows-1252");
    QTest::newRow("us-ascii") << QByteArray("us-ascii") << QByteArray("windows-1252");
    QTest::newRow("padded utf-8") << QByteArray(" UTF-8\t") << QByteArray("UTF-8");
    QTest::newRow("bare utf-16 is little-endian") << QByteArray("utf-16") << QByteArray("UTF-16LE");
    QTest::newRow("iso-8859-9 is windows-1254") << QByteArray("iso-8859-9") << QByteArray("CP1254");
    QTest::newRow("koi8-r via iconv") << QByteArray("KOI8-R") << QByteArray("koi8-r");
    QTest::newRow("unknown name") << QByteArray("no-such-charset") << QByteArray();
    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("utf-7 refused") << QByteArray("utf-7") << QByteArray();
    QTest::newRow("iso-2022-kr is replacement")
        << QByteArray("ISO-2022-KR") << QByteArray("replacement");
    QTest::newRow("hz-gb-2312 is replacement")
        << QByteArray("hz-gb-2312") << QByteArray("replacement");
    QTest::newRow("iconv's iso2022cn refused") << QByteArray("iso2022cn") << QByteArray();
    QTest::newRow("iconv's utf7 refused") << QByteArray("utf7") << QByteArray();
    QTest::newRow("iconv flags refused") << QByteArray("utf-8//ignore") << QByteArray();
}

void TestCharset::encodingForLabel() {
    QFETCH(QByteArray, label);
    QFETCH(QByteArray, encoding);

    const auto found = EncodingForLabel(View(label));
    QCOMPARE(QByteArray(found.value_or("").c_str()), encoding);
}

void TestCharset::decode_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("contentType");
    QTest::addColumn<QByteArray>("text");

    QTest::newRow("default windows-1252")
        << Bytes("\x80 \xE9") << QByteArray() << kEuro + " \xC3\xA9";
    QTest::newRow("windows-1252 unassigned byte keeps its C1 code")
        << Bytes("\x81") << QByteArray() << Bytes("\xC2\x81");
    QTest::newRow("latin1 header read as windows-1252")
        << Bytes("\x80") << QByteArray("text/html; charset=ISO-8859-1") << kEuro;
    QTest::newRow("header charset")
        << Bytes("\xE2\x82\xAC") << QByteArray("text/html; charset=utf-8") << kEuro;
    QTest::newRow("quoted header charset, odd spacing")
        << Bytes("\xE2\x82\xAC") << QByteArray("text/html ;Charset = \"UTF-8\"") << kEuro;
    QTest::newRow("header wins over meta")
        << Bytes("<meta charset=\"koi8-r\">\xC1") << QByteArray("text/html; charset=windows-1251")
        << "<meta charset=\"koi8-r\">" + kCyrillicCapitalBe;
    QTest::newRow("meta charset when header silent")
        << Bytes("<meta charset=\"koi8-r\">\xC1") << QByteArray("text/html")
        << "<meta charset=\"koi8-r\">" + kCyrillicSmallA;
    QTest::newRow("meta http-equiv content")
        << Bytes("<META HTTP-EQUIV=Content-Type CONTENT='text/html; charset=koi8-r'>\xC1")
        << QByteArray()
        << "<META HTTP-EQUIV=Content-Type CONTENT='text/html; charset=koi8-r'>" + kCyrillicSmallA;
    QTest::newRow("meta content without http-equiv ignored")
        << Bytes("<meta content='text/html; charset=koi8-r'>\xC1") << QByteArray()
        << "<meta content='text/html; charset=koi8-r'>" + kLatinCapitalAAcute;
    QTest::newRow("meta inside a comment ignored")
        << Bytes("<!-- <meta charset=koi8-r> -->\xC1") << QByteArray()
        << "<!-- <meta charset=koi8-r> -->" + kLatinCapitalAAcute;
    QTest::newRow("meta in an attribute value ignored")
        << Bytes("<p title='<meta charset=koi8-r>'>\xC1") << QByteArray()
        << "<p title='<meta charset=koi8-r>'>" + kLatinCapitalAAcute;
    QTest::newRow("meta after the first 1024 bytes ignored")
        << QByteArray(1024, ' ') + "<meta charset=koi8-r>\xC1" << QByteArray()
        << QByteArray(1024, ' ') + "<meta charset=koi8-r>" + kLatinCapitalAAcute;
    QTest::newRow("meta declaring utf-16 means utf-8")
        << Bytes("<meta charset=utf-16>\xE2\x82\xAC") << QByteArray()
        << "<meta charset=utf-16>" + kEuro;
    QTest::newRow("unknown header charset falls back to meta")
        << Bytes("<meta charset=koi8-r>\xC1") << QByteArray("text/html; charset=bogus")
        << "<meta charset=koi8-r>" + kCyrillicSmallA;
    QTest::newRow("unknown charset everywhere gives windows-1252")
        << Bytes("<meta charset=bogus>\xC1") << QByteArray("text/html; charset=x-bogus")
        << "<meta charset=bogus>" + kLatinCapitalAAcute;
    QTest::newRow("UTF-8 byte order mark wins over header")
        << Bytes("\xEF\xBB\xBF\xE2\x82\xAC") << QByteArray("text/html; charset=windows-1252")
        << kEuro;
    QTest::newRow("UTF-16LE with byte order mark")
        << Bytes("\xFF\xFE<\0b\0>\0\xAC\x20") << QByteArray() << "<b>" + kEuro;
    QTest::newRow("UTF-16BE with byte order mark")
        << Bytes("\xFE\xFF\0<\0b\0>\x20\xAC") << QByteArray() << "<b>" + kEuro;
    QTest::newRow("UTF-16 odd last byte") << Bytes("\xFF\xFE"
                                                   "a\0b")
                                          << QByteArray() << "a" + kReplacement;
    QTest::newRow("UTF-16 lone surrogate") << Bytes("\xFF\xFE\x00\xD8"
                                                    "a\0")
                                           << QByteArray() << kReplacement + "a";
    QTest::newRow("invalid UTF-8 byte replaced, rest kept")
        << Bytes("a\xFF"
                 "b\xC3\xA9")
        << QByteArray("text/html; charset=utf-8") << "a" + kReplacement + "b\xC3\xA9";
    QTest::newRow("broken UTF-8 sequence is one replacement")
        << Bytes("a\xE2\x82"
                 "b\xF0\x9F\x98"
                 "c")
        << QByteArray("text/html; charset=utf-8") << "a" + kReplacement + "b" + kReplacement + "c";
    QTest::newRow("UTF-8 surrogate bytes replaced one by one")
        << Bytes("\xED\xA0\x80") << QByteArray("text/html; charset=utf-8")
        << kReplacement + kReplacement + kReplacement;
    QTest::newRow("UTF-8 cut off at the end")
        << Bytes("ab\xE2\x82") << QByteArray("text/html; charset=utf-8") << "ab" + kReplacement;
    QTest::newRow("iso-2022-kr header: one replacement for all")
        << Bytes("\x1B$)Ca\x0E!!\x0F<b>") << QByteArray("text/html; charset=iso-2022-kr")
        << kReplacement;
    QTest::newRow("iso-2022-cn meta: one replacement for all")
        << Bytes("<meta charset=iso-2022-cn><p>x</p>") << QByteArray() << kReplacement;
    QTest::newRow("replacement on nothing is nothing")
        << QByteArray() << QByteArray("text/html; charset=csiso2022kr") << QByteArray();
    QTest::newRow("iconv's iso2022kr read as windows-1252")
        << Bytes("a\x0E!!\x0F\xC1") << QByteArray("text/html; charset=iso2022kr")
        << "a\x0E!!\x0F" + kLatinCapitalAAcute;
    QTest::newRow("NUL bytes kept") << Bytes("a\0b") << QByteArray() << Bytes("a\0b");
    QTest::newRow("empty") << QByteArray() << QByteArray("text/html; charset=utf-8")
                           << QByteArray();
}

void TestCharset::decode() {
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, contentType);
    QFETCH(QByteArray, text);

    const std::string decoded = DecodeHtmlToUtf8(View(bytes), View(contentType));
    QCOMPARE(QByteArray(decoded.data(), static_cast<qsizetype>(decoded.size())), text);
}

QTEST_APPLESS_MAIN(TestCharset)
#include "tst_charset.moc"
