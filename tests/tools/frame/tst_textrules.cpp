// The text rules against a second opinion on generated inputs: the UTF-8 check against Qt's
// decoder, the date labels, day-file names and items against the C library's calendar, and
// the layout guess and hint against lines and guesses made by hand.
#include "CommandLineRules.h"
#include "core/DateList.h"
#include "core/DayFileName.h"
#include "core/ErrorsList.h"
#include "core/QuoteLine.h"

#include <QStringDecoder>
#include <QTest>

#include <chrono>
#include <ctime>

using namespace pellmark;

class TestTextRules : public QObject {
    Q_OBJECT

private slots:
    // Every string of up to four bytes where UTF-8's rules change: ASCII, continuation bytes,
    // the leads of overlong forms, of surrogates and past U+10FFFF, bytes never valid.
    void utf8AsQtDecodesIt() {
        const QByteArray edges("\x00\x41\x7f\x80\x8f\x90\x9f\xa0\xbf\xc0\xc1\xc2\xdf\xe0\xed\xee"
                               "\xef\xf0\xf4\xf5\xff",
                               21);
        QList<QByteArray> strings{{}};
        for (qsizetype from = 0; from < strings.size() && strings[from].size() < 4; ++from)
            for (const char byte : edges)
                strings.append(strings[from] + byte);
        for (const QByteArray& bytes : strings) {
            QStringDecoder qt(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
            const QString decoded = qt(bytes);
            QVERIFY2(IsValidUtf8(bytes.toStdString()) == !qt.hasError(), bytes.toHex().data());
        }
    }

    // Every day a label can name, as strftime writes it; every number a label can hold in
    // every month, a day or not as std::chrono has it, in a day-file name and an item.
    void datesAsTheCalendarHasThem() {
        for (std::time_t at = 0; at < 3155760000; at += 86400) {
            char text[16];
            std::strftime(text, sizeof text, "%d-%b-%y", std::gmtime(&at));
            const QString label = text[0] == '0' ? text + 1 : text;
            const QDate day = QDate(1970, 1, 1).addDays(at / 86400);
            QCOMPARE(QString::fromStdString(DateLabel(day)), label);
            QCOMPARE(DayOfLabel(label, 1970), day);
        }
        const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
        for (unsigned month = 1; month <= 12; ++month)
            for (unsigned number = 0; number <= 32; ++number)
                for (const int year : {2000, 2024, 2025, 2069, 1970, 1999}) {
                    const bool real = std::chrono::year_month_day(std::chrono::year(year),
                                                                  std::chrono::month(month),
                                                                  std::chrono::day(number))
                                          .ok();
                    const QString label = QString("%1-%2-%3")
                                              .arg(number)
                                              .arg(months[month - 1])
                                              .arg(year % 100, 2, 10, QChar('0'));
                    QCOMPARE(DayOfLabel(label, 1970).isValid(), real);
                    const auto named = ParseDayFileName("BRK-B-" + label + ".txt");
                    QVERIFY(named ? real && named->symbol == "BRK-B" : !real);
                    QVERIFY(!ParseDayFileName("BRK-B-0" + label + ".txt")); // one name a day
                    QCOMPARE(ParseFailedItem(("BRK-B-" + label).toStdString()).symbol == "BRK-B",
                             number >= 1 && number <= 31);
                }
    }

    // Lines written in each layout, with every separator of up to three characters that
    // holds no digit or point, are read back in that layout; a hint follows the layout that
    // more than half of the guesses name, when that is not the one given.
    void layoutsAsTheLinesWereWritten() {
        QStringList separators{""};
        for (qsizetype from = 0; from < separators.size() && separators[from].size() < 3; ++from)
            for (const QChar c : QString(" -;,/:|"))
                separators.append(separators[from] + c);
        const LineLayout given{LineOrder::PriceFirst, " - "};
        for (const QString& separator : separators)
            for (const LineOrder order : {LineOrder::PriceFirst, LineOrder::TimeFirst}) {
                const LineLayout written{order, separator.toStdString()};
                const auto guess = GuessLayout(order == LineOrder::TimeFirst
                                                   ? "23:59" + written.separator + "0.5"
                                                   : "0.5" + written.separator + "12:00");
                QVERIFY2(guess == written, qPrintable(separator));
                QVERIFY(!GuessLayout("12:00" + written.separator + "12:00")); // both ways
                const LineLayout other{LineOrder::PriceFirst, written == given ? "," : " - "};
                for (int mine = 0; mine <= 4; ++mine)
                    for (int none = 0; none <= 2; ++none) {
                        std::vector<std::optional<LineLayout>> guesses(mine, written);
                        guesses.insert(guesses.end(), none, std::nullopt);
                        guesses.insert(guesses.end(), 2, other);
                        const LineLayout& most = mine > 2 ? written : other;
                        const bool hinted =
                            2 * std::max(mine, 2) > mine + none + 2 && most != given;
                        const auto hint = LayoutHint(guesses, given.order, given.separator);
                        QCOMPARE(hint.has_value(), hinted);
                        QVERIFY(!hint || hint->find(most.order == LineOrder::TimeFirst
                                                        ? "TIME then PRICE"
                                                        : "PRICE then TIME") != std::string::npos);
                    }
            }
    }
};

QTEST_GUILESS_MAIN(TestTextRules)
#include "tst_textrules.moc"
