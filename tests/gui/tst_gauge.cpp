// The status-bar gauge: clamping, the shown percentage, when it repaints, and its colours.
#include "gui/Gauge.h"

#include <QImage>
#include <QTest>

using pellmark::Gauge;

class TestGauge : public QObject {
    Q_OBJECT

    int paints = 0;

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }

private slots:
    void progressAndPercent_data() {
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("set");
        QTest::addColumn<int>("progress");
        QTest::addColumn<int>("percent");
        QTest::newRow("inside the range") << 100 << 42 << 42 << 42;
        QTest::newRow("above the maximum") << 100 << 150 << 100 << 100;
        QTest::newRow("below the minimum") << 100 << -5 << 0 << 0;
        QTest::newRow("integer part, one third") << 3 << 1 << 1 << 33;
        QTest::newRow("integer part, two thirds") << 3 << 2 << 2 << 66;
        QTest::newRow("clamped product") << 3 << 6 << 3 << 100;
        QTest::newRow("empty range") << 0 << 5 << 0 << 0;
        QTest::newRow("no overflow") << 2'000'000'000 << 1'999'999'999 << 1'999'999'999 << 99;
    }
    void progressAndPercent() {
        QFETCH(int, maximum);
        QFETCH(int, set);
        QFETCH(int, progress);
        QFETCH(int, percent);
        Gauge gauge;
        gauge.setMaximum(maximum);
        gauge.setProgress(set);
        QCOMPARE(gauge.progress(), progress);
        QCOMPARE(gauge.percent(), percent);
    }

    void loweringTheMaximumLowersTheProgress() {
        Gauge gauge;
        gauge.setProgress(80);
        gauge.setMaximum(50);
        QCOMPARE(gauge.progress(), 50);
        gauge.setMaximum(200);
        QCOMPARE(gauge.progress(), 50);
        QCOMPARE(gauge.percent(), 25);
    }

    void repaintsOnlyWhenThePercentageChanges() {
        Gauge gauge;
        gauge.resize(200, 14);
        gauge.setMaximum(1000);
        gauge.show();
        QVERIFY(QTest::qWaitForWindowExposed(&gauge));
        gauge.installEventFilter(this);

        paints = 0;
        gauge.setProgress(9); // still 0 %
        QCoreApplication::processEvents();
        QCOMPARE(paints, 0);

        gauge.setProgress(10);
        QTRY_COMPARE(paints, 1);

        gauge.setMaximum(1000);
        QTRY_COMPARE(paints, 2);
    }

    void barAndTextColours() {
        Gauge gauge;
        gauge.resize(200, 14);
        gauge.setProgress(50);
        const QImage picture = gauge.grab().toImage();
        const int middle = picture.width() / 2;
        QCOMPARE(picture.pixelColor(10, 7), QColor(Qt::darkBlue));
        QCOMPARE(picture.pixelColor(picture.width() - 10, 7), QColor(Qt::white));

        // The text straddles the edge of the bar: light on its left, dark on its right.
        bool lightOverBar = false;
        bool darkOverBackground = false;
        for (int y = 1; y < picture.height() - 1; ++y)
            for (int x = middle - 20; x < middle + 20; ++x) {
                const QColor c = picture.pixelColor(x, y);
                if (x < middle - 1 && c.red() > 200)
                    lightOverBar = true;
                if (x > middle + 1 && c.lightness() < 60)
                    darkOverBackground = true;
            }
        QVERIFY(lightOverBar);
        QVERIFY(darkOverBackground);
    }
};

QTEST_MAIN(TestGauge)
#include "tst_gauge.moc"
