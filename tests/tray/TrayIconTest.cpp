// The tray icon's two states, driven through a fake notification area.
#include "tray/TrayIcon.h"
#include "FakeSystemTray.h"
#include "tray/AppIcon.h"

#include <QTest>
#include <QWidget>

#include <memory>

class TrayIconTest : public QObject {
    Q_OBJECT

    std::unique_ptr<pellmark::SystemTray> fake() {
        return std::make_unique<FakeSystemTray>(state_);
    }
    void click(QSystemTrayIcon::ActivationReason reason) {
        QVERIFY(state_.activated);
        state_.activated(reason);
    }
    // The icon is only reached once the window's minimise has completed.
    void minimiseAndSettle(QWidget& window) {
        window.showMinimized();
        QTest::qWait(0);
    }

    FakeTrayState state_;
    QWidget window_;

private slots:
    void init() {
        state_ = FakeTrayState{};
        window_.setWindowState(Qt::WindowNoState);
        window_.show();
    }

    void isInactiveUntilTheFirstMinimise() {
        TTrayIcon tray(&window_, fake());
        QVERIFY(!tray.isActive());
        QVERIFY(!state_.shown);
        QVERIFY(window_.isVisible());
    }

    void minimisingHidesTheWindowBehindTheIcon_data() {
        QTest::addColumn<bool>("byState");
        QTest::newRow("showMinimized") << false;
        QTest::newRow("window state") << true;
    }
    void minimisingHidesTheWindowBehindTheIcon() {
        QFETCH(bool, byState);
        TTrayIcon tray(&window_, fake());
        if (byState)
            window_.setWindowState(Qt::WindowMinimized);
        else
            window_.showMinimized();
        QTRY_VERIFY(tray.isActive());
        QVERIFY(!window_.isVisible());
        QVERIFY(state_.shown);
        QCOMPARE(state_.toolTip, QStringLiteral("Pellmark v1.0"));
        QVERIFY(!state_.icon.isNull());
    }

    void restoringClickBringsTheWindowBack_data() {
        QTest::addColumn<bool>("doubleClicks");
        QTest::addColumn<QSystemTrayIcon::ActivationReason>("reason");
        QTest::newRow("XEmbed: double-click") << true << QSystemTrayIcon::DoubleClick;
        QTest::newRow("StatusNotifier: activation") << false << QSystemTrayIcon::Trigger;
    }
    void restoringClickBringsTheWindowBack() {
        QFETCH(bool, doubleClicks);
        QFETCH(QSystemTrayIcon::ActivationReason, reason);
        state_.doubleClicks = doubleClicks;
        TTrayIcon tray(&window_, fake());
        minimiseAndSettle(window_);
        QVERIFY(tray.isActive());
        click(reason);
        QVERIFY(!tray.isActive());
        QVERIFY(window_.isVisible());
        QVERIFY(!window_.isMinimized());
        // Where activations are single clicks, the icon stays for the second click of a
        // double-click, which changes nothing, and goes after it.
        QCOMPARE(state_.shown, !doubleClicks);
        if (!doubleClicks) {
            click(reason);
            QVERIFY(window_.isVisible());
            QVERIFY(!tray.isActive());
        }
        QTRY_VERIFY(!state_.shown);
        QCOMPARE(state_.showCount, 1);
    }

    void otherClicksDoNothing_data() {
        QTest::addColumn<bool>("doubleClicks");
        QTest::addColumn<QSystemTrayIcon::ActivationReason>("reason");
        QTest::newRow("XEmbed: single click") << true << QSystemTrayIcon::Trigger;
        QTest::newRow("XEmbed: right click") << true << QSystemTrayIcon::Context;
        QTest::newRow("XEmbed: middle click") << true << QSystemTrayIcon::MiddleClick;
        QTest::newRow("StatusNotifier: right click") << false << QSystemTrayIcon::Context;
        QTest::newRow("StatusNotifier: middle click") << false << QSystemTrayIcon::MiddleClick;
    }
    void otherClicksDoNothing() {
        QFETCH(bool, doubleClicks);
        QFETCH(QSystemTrayIcon::ActivationReason, reason);
        state_.doubleClicks = doubleClicks;
        TTrayIcon tray(&window_, fake());
        minimiseAndSettle(window_);
        click(reason);
        QVERIFY(tray.isActive());
        QVERIFY(state_.shown);
        QVERIFY(!window_.isVisible());
    }

    void aSecondMinimiseWhileActiveDoesNothingMore() {
        TTrayIcon tray(&window_, fake());
        minimiseAndSettle(window_);
        tray.minimise();
        QCOMPARE(state_.showCount, 1);
        QVERIFY(tray.isActive());
    }

    void minimisingAgainAfterARestoreShowsTheIconAgain_data() {
        QTest::addColumn<bool>("doubleClicks");
        QTest::addColumn<QSystemTrayIcon::ActivationReason>("reason");
        QTest::newRow("XEmbed") << true << QSystemTrayIcon::DoubleClick;
        QTest::newRow("StatusNotifier, while the icon lingers")
            << false << QSystemTrayIcon::Trigger;
    }
    void minimisingAgainAfterARestoreShowsTheIconAgain() {
        QFETCH(bool, doubleClicks);
        QFETCH(QSystemTrayIcon::ActivationReason, reason);
        state_.doubleClicks = doubleClicks;
        TTrayIcon tray(&window_, fake());
        minimiseAndSettle(window_);
        click(reason);
        minimiseAndSettle(window_);
        QVERIFY(tray.isActive());
        QCOMPARE(state_.showCount, 2);
        QVERIFY(!window_.isVisible());
        // The icon stays: the restore's own removal does not come after the new minimise.
        QTest::qWait(QApplication::doubleClickInterval() + 100);
        QVERIFY(state_.shown);
        click(reason);
        QVERIFY(window_.isVisible());
    }

    void aLongToolTipIsCutTo62Characters() {
        TTrayIcon tray(&window_, fake());
        const QString longTip = QString(70, QLatin1Char('x'));
        tray.setToolTip(longTip);
        QVERIFY(state_.toolTip.isEmpty()); // only stored while inactive
        minimiseAndSettle(window_);
        QCOMPARE(state_.toolTip, QString(62, QLatin1Char('x')));
        tray.setToolTip(QStringLiteral("Pellmark v1.0 busy"));
        QCOMPARE(state_.toolTip, QStringLiteral("Pellmark v1.0 busy"));
        QCOMPARE(tray.toolTip(), QStringLiteral("Pellmark v1.0 busy"));
    }

    void anEmptyIconFallsBackToTheApplicationIcon() {
        QApplication::setWindowIcon(pellmark::PellmarkIcon());
        TTrayIcon tray(&window_, fake());
        tray.setIcon(QIcon());
        minimiseAndSettle(window_);
        QCOMPARE(state_.icon.cacheKey(), QApplication::windowIcon().cacheKey());
        QApplication::setWindowIcon(QIcon());
    }

    void destroyingItWhileActiveRemovesTheIcon() {
        {
            TTrayIcon tray(&window_, fake());
            minimiseAndSettle(window_);
            QVERIFY(state_.shown);
        }
        QVERIFY(!state_.shown);
    }

    void withoutANotificationAreaTheWindowMinimisesNormally() {
        state_.available = false;
        TTrayIcon tray(&window_, fake());
        minimiseAndSettle(window_);
        QVERIFY(!tray.isActive());
        QVERIFY(!state_.shown);
        QVERIFY(window_.isVisible());
        QVERIFY(window_.isMinimized());
    }

    void theProgramIconComesInEveryShippedSize() {
        const QIcon icon = pellmark::PellmarkIcon();
        for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
            QVERIFY2(icon.availableSizes().contains(QSize(size, size)),
                     qPrintable(QString::number(size)));
        QVERIFY(!icon.pixmap(32).isNull());
    }
};

QTEST_MAIN(TrayIconTest)
#include "TrayIconTest.moc"
