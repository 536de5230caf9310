// The body HTML the parser reads: a page parsed as a browser would and its body written
// back the way the embedded browser's innerHTML gave it.
#include "page/BodySerialiser.h"

#include <QtTest>

#include <string>

using namespace pellmark;

namespace {

QByteArray Serialise(const QByteArray& page, const QByteArray& contentType = {}) {
    const std::string body =
        SerialiseBody({page.constData(), static_cast<std::size_t>(page.size())},
                      {contentType.constData(), static_cast<std::size_t>(contentType.size())});
    return QByteArray(body.data(), static_cast<qsizetype>(body.size()));
}

QByteArray Repeated(const char* piece, int times) {
    return QByteArray(piece).repeated(times);
}

} // namespace

class TestBodySerialiser : public QObject {
    Q_OBJECT

private slots:
    void serialise_data();
    void serialise();
    void usesTheDeclaredCharset();
    void deepNestingDoesNotExhaustTheStack();
};

void TestBodySerialiser::serialise_data() {
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QByteArray>("body");

    QTest::newRow("quote record") << QByteArray("<body><h2>x</h2>\n<br>&nbsp; 00:05:00 GMT 1.2345 "
                                                "(a)</body>")
                                  << QByteArray("<H2>x</H2>\n<BR>&nbsp; 00:05:00 GMT 1.2345 (a)");
    QTest::newRow("empty input") << QByteArray() << QByteArray();
    QTest::newRow("document without body tag")
        << QByteArray("<title>t</title>hello") << QByteArray("hello");
    QTest::newRow("head and body attributes left out")
        << QByteArray("<html><head><title>t</title></head><body bgcolor=white>x</body></html>")
        << QByteArray("x");
    QTest::newRow("text after the body end tag")
        << QByteArray("<body>a</body>b</html>c") << QByteArray("abc");

    QTest::newRow("text escapes & < >") << QByteArray("a &amp; b &lt; c &gt; d &quot;'")
                                        << QByteArray("a &amp; b &lt; c &gt; d \"'");
    QTest::newRow("bare ampersand") << QByteArray("AT&T") << QByteArray("AT&amp;T");
    QTest::newRow("no-break space in any spelling")
        << QByteArray("1&nbsp;2&#160;3&#xA0;4") << QByteArray("1&nbsp;2&nbsp;3&nbsp;4");
    QTest::newRow("other non-ASCII left alone")
        << QByteArray("&eacute;&euro;") << QByteArray("\xC3\xA9\xE2\x82\xAC");
    QTest::newRow("attribute escapes & \" and no-break space")
        << QByteArray("<a title='x \"y\" &amp; &nbsp; <z>'>t</a>")
        << QByteArray("<A title=\"x &quot;y&quot; &amp; &nbsp; <z>\">t</A>");
    QTest::newRow("attribute names lower case, values quoted")
        << QByteArray("<IMG SRC=a.gif ALT=x Width=1>")
        << QByteArray("<IMG src=\"a.gif\" alt=\"x\" width=\"1\">");
    QTest::newRow("attribute without value")
        << QByteArray("<input disabled>") << QByteArray("<INPUT disabled=\"\">");

    QTest::newRow("void elements have no end tag")
        << QByteArray("<br><hr><img src=a><input><wbr><area><embed><col>")
        << QByteArray("<BR><HR><IMG src=\"a\"><INPUT><WBR><AREA><EMBED>");
    QTest::newRow("stray </br> is a line break") << QByteArray("a</br>b") << QByteArray("a<BR>b");
    QTest::newRow("element names upper case")
        << QByteArray("<Font Face=Arial>x</FONT><b>y</b>")
        << QByteArray("<FONT face=\"Arial\">x</FONT><B>y</B>");
    QTest::newRow("unknown tags keep their name")
        << QByteArray("<quote-row data-x=1>v</quote-row><MyTag>w</mytag>")
        << QByteArray("<QUOTE-ROW data-x=\"1\">v</QUOTE-ROW><MYTAG>w</MYTAG>");

    QTest::newRow("script is raw text")
        << QByteArray("x<script>if (a < b && c > d) x = \"&amp;\";</script>")
        << QByteArray("x<SCRIPT>if (a < b && c > d) x = \"&amp;\";</SCRIPT>");
    QTest::newRow("style, xmp and iframe are raw text")
        << QByteArray("x<style>a>b{}</style><xmp><b>&amp;</b></xmp><iframe><p>&</iframe>")
        << QByteArray("x<STYLE>a>b{}</STYLE><XMP><b>&amp;</b></XMP><IFRAME><p>&</IFRAME>");
    QTest::newRow("noembed and noframes are raw text")
        << QByteArray("<noembed>1<2</noembed><noframes>3&4</noframes>")
        << QByteArray("<NOEMBED>1<2</NOEMBED><NOFRAMES>3&4</NOFRAMES>");
    QTest::newRow("plaintext runs to the end")
        << QByteArray("<plaintext>a<b>&amp;</body>")
        << QByteArray("<PLAINTEXT>a<b>&amp;</body></PLAINTEXT>");
    QTest::newRow("noscript content is markup")
        << QByteArray("x<noscript><b>a &amp; b</b></noscript>")
        << QByteArray("x<NOSCRIPT><B>a &amp; b</B></NOSCRIPT>");
    QTest::newRow("comments kept verbatim")
        << QByteArray("a<!-- keep & <b> -->b<!---->") << QByteArray("a<!-- keep & <b> -->b<!---->");

    QTest::newRow("whitespace kept") << QByteArray("<p>  a \n\t b  </p>\n\n<p>c</p>  \n")
                                     << QByteArray("<P>  a \n\t b  </P>\n\n<P>c</P>  \n");
    QTest::newRow("line breaks normalised to LF")
        << QByteArray("a\r\nb\rc\n\rd") << QByteArray("a\nb\nc\n\nd");
    QTest::newRow("newline after <pre> dropped")
        << QByteArray("<pre>\nx</pre>") << QByteArray("<PRE>x</PRE>");
    QTest::newRow("second newline after <pre> kept")
        << QByteArray("<pre>\n\nx</pre>") << QByteArray("<PRE>\n\nx</PRE>");
    QTest::newRow("newline in <textarea> and <listing>")
        << QByteArray("<textarea>\n\nx</textarea><listing>\n\ny</listing>")
        << QByteArray("<TEXTAREA>\n\nx</TEXTAREA><LISTING>\n\ny</LISTING>");

    QTest::newRow("table gets a tbody")
        << QByteArray("<table><tr><td>a</td></tr></table>")
        << QByteArray("<TABLE><TBODY><TR><TD>a</TD></TR></TBODY></TABLE>");
    QTest::newRow("text in a table is moved before it")
        << QByteArray("<table>x<tr><td>1</table>")
        << QByteArray("x<TABLE><TBODY><TR><TD>1</TD></TR></TBODY></TABLE>");
    QTest::newRow("nested table closes the cell's table")
        << QByteArray("<table><tr><td>1<table><tr><td>2</table></table>")
        << QByteArray("<TABLE><TBODY><TR><TD>1<TABLE><TBODY><TR><TD>2</TD></TR></TBODY></TABLE>"
                      "</TD></TR></TBODY></TABLE>");
    QTest::newRow("form inside a form is dropped")
        << QByteArray("<form action=a><form action=b><input></form>x")
        << QByteArray("<FORM action=\"a\"><INPUT></FORM>x");
    QTest::newRow("misnested formatting repaired")
        << QByteArray("<b>1<i>2</b>3</i>") << QByteArray("<B>1<I>2</I></B><I>3</I>");
    QTest::newRow("unclosed elements closed at the end")
        << QByteArray("<font size=2><b>x") << QByteArray("<FONT size=\"2\"><B>x</B></FONT>");

    QTest::newRow("svg keeps its own names")
        << QByteArray("<svg viewbox='0 0 1 1'><lineargradient/><circle xlink:href='#a'/></svg>")
        << QByteArray("<svg viewBox=\"0 0 1 1\"><linearGradient></linearGradient>"
                      "<circle xlink:href=\"#a\"></circle></svg>");
    QTest::newRow("math names lower case")
        << QByteArray("<math><MI>x</MI></math>") << QByteArray("<math><mi>x</mi></math>");
    QTest::newRow("frameset page")
        << QByteArray("<frameset><frame src=a></frameset>") << QByteArray("<FRAME src=\"a\">");
}

void TestBodySerialiser::serialise() {
    QFETCH(QByteArray, page);
    QFETCH(QByteArray, body);

    QCOMPARE(Serialise(page), body);
}

void TestBodySerialiser::usesTheDeclaredCharset() {
    QCOMPARE(Serialise("\xE2\x82\xAC\xC2\xA0", "text/html; charset=utf-8"),
             QByteArray("\xE2\x82\xAC&nbsp;"));
    QCOMPARE(Serialise("\x80\xA0"), QByteArray("\xE2\x82\xAC&nbsp;"));
}

void TestBodySerialiser::deepNestingDoesNotExhaustTheStack() {
    const int depth = 300000;
    const QByteArray body = Serialise(Repeated("<span>", depth) + "x");

    QCOMPARE(body, Repeated("<SPAN>", depth) + "x" + Repeated("</SPAN>", depth));
}

QTEST_APPLESS_MAIN(TestBodySerialiser)
#include "tst_bodyserialiser.moc"
