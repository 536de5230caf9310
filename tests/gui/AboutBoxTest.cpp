// The about box: its fixed texts, how it closes, and the logo that opens the maker's site.
#include "gui/AboutBox.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace {

QLabel* label(AboutBox& box, const char* name) {
    auto* found = box.findChild<QLabel*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no label %s", name);
    return found;
}

} // namespace

class AboutBoxTest : public QObject {
    Q_OBJECT

private slots:
    void showsTheFixedTexts() {
        AboutBox box;
        QCOMPARE(box.windowTitle(), QStringLiteral("About"));
        QCOMPARE(label(box, "ProductName")->text(), QStringLiteral("Pellmark"));
        QVERIFY(label(box, "Version")->text().contains(QStringLiteral("1.0")));
        QVERIFY(label(box, "Copyright")->text().contains(QStringLiteral("Tarnwick")));
        QCOMPARE(
            label(box, "Comments")->text(),
            QStringLiteral("Comments: The Tarnwick (Pellmark) has been created for those in "
                           "need of historical data to perform backtests and verifications. "));
        QVERIFY(label(box, "Comments")->wordWrap());
    }

    void isAFixedSizeDialogWithoutMinimiseOrMaximise() {
        AboutBox box;
        QCOMPARE(box.minimumSize(), QSize(345, 213));
        QCOMPARE(box.maximumSize(), QSize(345, 213));
        QVERIFY(!(box.windowFlags() & Qt::WindowMinMaxButtonsHint));
        QVERIFY(box.isModal());
    }

    void showsTheLogoWithAHandCursor() {
        AboutBox box;
        QLabel* logo = label(box, "logo");
        QCOMPARE(logo->pixmap().size(), QSize(169, 56));
        QCOMPARE(logo->cursor().shape(), Qt::PointingHandCursor);
    }

    void closesAcceptedByOkOrEnter_data() {
        QTest::addColumn<int>("key");
        QTest::newRow("OK button") << 0;
        QTest::newRow("Return") << int(Qt::Key_Return);
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter);
    }
    void closesAcceptedByOkOrEnter() {
        QFETCH(int, key);
        AboutBox box;
        box.open();
        QVERIFY(box.isVisible());
        if (key == 0)
            QTest::mouseClick(box.findChild<QPushButton*>(QStringLiteral("okButton")),
                              Qt::LeftButton);
        else
            QTest::keyClick(&box, Qt::Key(key));
        QVERIFY(!box.isVisible());
        QCOMPARE(box.result(), int(QDialog::Accepted));
    }

    void escapeLeavesTheBoxOpen() {
        AboutBox box;
        box.open();
        QTest::keyClick(&box, Qt::Key_Escape);
        QVERIFY(box.isVisible());
    }

    void theWindowCloseButtonStillClosesIt() {
        AboutBox box;
        box.open();
        QVERIFY(box.close());
        QVERIFY(!box.isVisible());
        QCOMPARE(box.result(), int(QDialog::Rejected));
    }

    void clickingTheLogoOpensTheMakersAddressAndStaysOpen() {
        QList<QUrl> opened;
        AboutBox box(nullptr, [&opened](const QUrl& url) { opened.append(url); });
        box.open();
        QTest::mouseClick(label(box, "logo"), Qt::LeftButton);
        QCOMPARE(opened, QList<QUrl>{AboutBox::makerAddress()});
        QVERIFY(opened.first().isValid());
        QCOMPARE(opened.first().scheme(), QStringLiteral("https"));
        QVERIFY(box.isVisible());
    }

    void otherClicksOpenNothing() {
        QList<QUrl> opened;
        AboutBox box(nullptr, [&opened](const QUrl& url) { opened.append(url); });
        box.open();
        QTest::mouseClick(label(box, "logo"), Qt::RightButton);
        QTest::mouseClick(label(box, "Comments"), Qt::LeftButton);
        QVERIFY(opened.isEmpty());
    }
};

QTEST_MAIN(AboutBoxTest)
#include "AboutBoxTest.moc"
