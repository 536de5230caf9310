// The boxes and the folder dialog the window shows: the error report's full stop, and
// titles, icons, buttons and answers of the real boxes.
#include "Branding.h"
#include "gui/FolderChooser.h"
#include "gui/MessageBoxes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

using pellmark::ScreenMessageBoxes;

namespace {

template <typename Window> Window* shownWindow() {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* found = qobject_cast<Window*>(window); found && found->isVisible())
            return found;
    return nullptr;
}

} // namespace

class TestBoxes : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QApplication::setApplicationDisplayName(QString::fromUtf8(pellmark::kApplicationTitle));
    }

    void fullStop_data() {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("letter") << "abc"
                                << "abc.";
        QTest::newRow("full stop") << "abc."
                                   << "abc.";
        QTest::newRow("exclamation sorts before") << "abc!"
                                                  << "abc!";
        QTest::newRow("bracket sorts before") << "x)"
                                              << "x)";
        QTest::newRow("hyphen sorts before") << "a-"
                                             << "a-";
        QTest::newRow("slash sorts after") << "a/"
                                           << "a/.";
        QTest::newRow("digit") << "error 5"
                               << "error 5.";
        QTest::newRow("non-ASCII letter") << QString::fromUtf8("Ü") << QString::fromUtf8("Ü.");
        QTest::newRow("trailing space") << "abc "
                                        << "abc ";
        QTest::newRow("empty") << ""
                               << "";
    }
    void fullStop() {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        QCOMPARE(pellmark::WithFullStop(message), shown);
    }

    void screenBoxes_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("icon");
        QTest::addColumn<QString>("text");
        QTest::newRow("warning") << 0 << "Warning" << int(QMessageBox::Warning) << "Careful";
        QTest::newRow("information")
            << 1 << "Information" << int(QMessageBox::Information) << "Done";
        QTest::newRow("error report") << 2 << QString::fromUtf8(pellmark::kApplicationTitle)
                                      << int(QMessageBox::Critical) << "Broken.";
    }
    void screenBoxes() {
        QFETCH(int, kind);
        QFETCH(QString, title);
        QFETCH(int, icon);
        QFETCH(QString, text);
        ScreenMessageBoxes boxes(nullptr);
        bool closed = false;
        if (kind == 0)
            boxes.Warning("Careful", [&] { closed = true; });
        else if (kind == 1)
            boxes.Information("Done", [&] { closed = true; });
        else
            boxes.ErrorReport("Broken");

        QMessageBox* box = shownWindow<QMessageBox>();
        QVERIFY(box);
        QCOMPARE(box->windowTitle(), title);
        QCOMPARE(int(box->icon()), icon);
        QCOMPARE(box->text(), text);
        QCOMPARE(box->standardButtons(), QMessageBox::Ok);
        QCOMPARE(box->windowModality(), Qt::ApplicationModal);

        box->button(QMessageBox::Ok)->click();
        QCOMPARE(closed, kind != 2);
        QTRY_VERIFY(!shownWindow<QMessageBox>());
    }

    void confirmReportsTheAnswer_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("yes");
        QTest::newRow("yes") << int(QMessageBox::Yes) << true;
        QTest::newRow("no") << int(QMessageBox::No) << false;
    }
    void confirmReportsTheAnswer() {
        QFETCH(int, button);
        QFETCH(bool, yes);
        ScreenMessageBoxes boxes(nullptr);
        std::optional<bool> answer;
        boxes.Confirm("Create it?", [&](bool a) { answer = a; });
        QMessageBox* box = shownWindow<QMessageBox>();
        QVERIFY(box);
        box->button(QMessageBox::StandardButton(button))->click();
        QCOMPARE(answer, std::optional<bool>(yes));
        QTRY_VERIFY(!shownWindow<QMessageBox>());
    }

    // A long list of failed items scrolls in a box that fits the screen and opens at once.
    void longTextScrolls_data() {
        QTest::addColumn<int>("items");
        QTest::newRow("52 items") << 52;
        QTest::newRow("74,600 items") << 74600;
    }
    void longTextScrolls() {
        QFETCH(int, items);
        QString text = "The Following Currency Pair/Date were not downloaded:\r\n\r\n";
        for (int i = 0; i < items; ++i)
            text += QStringLiteral("AUDUSD-%1-Jun-05\r\n").arg(i % 28 + 1);
        text += "\r\n\r\nPlease make note of it and redownload the missing Dates later.";
        ScreenMessageBoxes boxes(nullptr);
        bool closed = false;
        QElapsedTimer opening;
        opening.start();
        boxes.Warning(text, [&] { closed = true; });
        QVERIFY2(opening.elapsed() < 5000, qPrintable(QString::number(opening.elapsed())));

        QDialog* box = shownWindow<QDialog>();
        QVERIFY(box);
        QCOMPARE(box->windowTitle(), "Warning");
        QVERIFY(box->screen()->availableGeometry().contains(box->frameGeometry()));
        auto* list = box->findChild<QPlainTextEdit*>();
        QVERIFY(list);
        QVERIFY(list->isReadOnly());
        QCOMPARE(list->document()->blockCount(), items + 5);
        QVERIFY(list->toPlainText().endsWith("redownload the missing Dates later."));
        QVERIFY(list->verticalScrollBar()->maximum() > 0);

        box->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        QVERIFY(closed);
        QTRY_VERIFY(!shownWindow<QDialog>());
    }

    void folderDialogAsksAboutAMissingFolderWhileOpen_data() {
        QTest::addColumn<bool>("close");
        QTest::newRow("closes with it") << true;
        QTest::newRow("stays open") << false;
    }
    void folderDialogAsksAboutAMissingFolderWhileOpen() {
        QFETCH(bool, close);
        QTemporaryDir scratch;
        pellmark::FolderDialogChooser chooser(nullptr);
        QStringList asked;
        pellmark::FolderChooser::Verdict verdict;
        std::optional<std::optional<QString>> chosen;
        chooser.Choose(
            scratch.path(),
            [&](const QString& folder, pellmark::FolderChooser::Verdict v) {
                asked << folder;
                verdict = std::move(v);
            },
            [&](const std::optional<QString>& folder) { chosen = folder; });
        QFileDialog* dialog = shownWindow<QFileDialog>();
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), "Select Directory");
        dialog->findChild<QLineEdit*>("fileNameEdit")->setText("not-yet");
        QMetaObject::invokeMethod(dialog, "accept");
        QCOMPARE(asked, QStringList{scratch.filePath("not-yet")});
        QVERIFY(dialog->isVisible()); // open until answered
        QVERIFY(!chosen);

        verdict(close);
        QCOMPARE(dialog->isVisible(), !close);
        QCOMPARE(chosen, close ? std::optional(std::optional<QString>(scratch.filePath("not-yet")))
                               : std::nullopt);
        if (!close)
            dialog->reject();
    }
};

QTEST_MAIN(TestBoxes)
#include "tst_boxes.moc"
