// The main window: its state at start, the exclusive category boxes, the complementary
// selectors, the separator field, focus order and the save-folder chooser.
#include "Branding.h"
#include "FakeDayFetcher.h"
#include "FakeMessageBoxes.h"
#include "gui/Gauge.h"
#include "gui/MainWindow.h"
#include "gui/SaveFolder.h"
#include "net/QuoteService.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

using pellmark::Category;
using pellmark::LineOrder;

namespace {

// Answers as the folder dialog would with the user's choice: a folder that does not exist
// is put to the window first, and the chooser closes only when the window says so.
class FakeFolderChooser : public pellmark::FolderChooser {
public:
    std::optional<QString> answer;
    QString startedAt;
    bool stillOpen = false;
    void Choose(const QString& startFolder, Missing missing, Chosen chosen) override {
        startedAt = startFolder;
        if (!answer || QFileInfo::exists(*answer)) {
            chosen(answer);
            return;
        }
        stillOpen = true;
        missing(*answer, [this, chosen](bool close) {
            stillOpen = !close;
            if (close)
                chosen(answer);
        });
    }
};

const QString kCreateIt = QStringLiteral("The specified directory does not exist. Create it?");

} // namespace

class TestForm : public QObject {
    Q_OBJECT

    QTemporaryDir scratch;
    FakeMessageBoxes boxes;
    FakeFolderChooser chooser;
    FakeDayFetcher fetcher;
    std::unique_ptr<MainWindow> form;

    template <typename Control> Control* control(const char* name) {
        auto* found = form->findChild<Control*>(name);
        if (!found)
            qFatal("no control %s", name);
        return found;
    }
    QStringList checkedCategories() {
        QStringList checked;
        for (const char* name : {"Forex", "Stocks", "Indices"})
            if (control<QCheckBox>(name)->isChecked())
                checked << name;
        return checked;
    }
    QString inScratch(const QString& path) {
        QString resolved = path;
        return resolved.replace(QStringLiteral("@"), scratch.path());
    }

private slots:
    void init() {
        boxes = {};
        chooser = {};
        MainWindow::Seams seams;
        seams.boxes = &boxes;
        seams.chooser = &chooser;
        form = std::make_unique<MainWindow>(fetcher, seams);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }
    void cleanup() { form.reset(); }

    void startsFromTheDefaults() {
        QCOMPARE(form->windowTitle(), QString::fromUtf8(pellmark::kMainWindowCaption));
        QCOMPARE(form->size(), QSize(690, 300));
        QCOMPARE(form->minimumSize(), form->maximumSize());
        QVERIFY(!(form->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(form->windowFlags() & Qt::WindowMinimizeButtonHint);

        QCOMPARE(checkedCategories(), QStringList{"Forex"});
        const auto memoLines = [this](const char* memo) {
            return control<QPlainTextEdit>(memo)->toPlainText().split(u'\n');
        };
        QCOMPARE(memoLines("forexSymbols").size(), 13);
        QCOMPARE(memoLines("stockSymbols").size(), 30);
        QCOMPARE(memoLines("indexSymbols"),
                 QStringList({"DJI", "FCHI", "FTSE", "GDAXI", "IXIC", "SPC", "SSMI", "R_100",
                              "R_75", "R_50", "R_25"}));
        QCOMPARE(memoLines("forexSymbols").first() + memoLines("forexSymbols").last(),
                 "AUDUSDEURCHF");
        QCOMPARE(memoLines("stockSymbols").first() + memoLines("stockSymbols").last(),
                 "USASUNWUK_SMIN");
        QCOMPARE(control<QComboBox>("firstField")->currentText(), "PRICE");
        QCOMPARE(control<QComboBox>("secondField")->currentText(), "TIME");
        QCOMPARE(control<QDateEdit>("rangeStart")->date(), QDate::currentDate());
        QCOMPARE(control<QDateEdit>("rangeEnd")->date(), QDate::currentDate());
        QCOMPARE(control<QDateEdit>("rangeStart")->minimumDate(), QDate(2004, 8, 1));
        QCOMPARE(control<QDateEdit>("rangeStart")->maximumDate(), QDate::currentDate());
        QCOMPARE(control<QDateEdit>("rangeEnd")->maximumDate(), QDate::currentDate());
        QCOMPARE(control<QLineEdit>("saveFolderField")->text(),
                 QCoreApplication::applicationDirPath() + "/");
        QCOMPARE(control<QLabel>("statusLine")->text(), QString(70, u' '));
        QVERIFY(!control<QLineEdit>("hostLabelField")->isVisible());

        const auto* gauge = control<pellmark::Gauge>("gauge");
        QCOMPARE(gauge->maximum(), 100);
        QCOMPARE(gauge->progress(), 0);

        QCOMPARE(form->category(), Category::Forex);
        QCOMPARE(form->lineOrder(), LineOrder::PriceFirst);
        QCOMPARE(form->separator(), std::string(" - "));
        QCOMPARE(form->hostLabel(), std::string(pellmark::kDefaultHostLabel));
    }

    void saveFolderIsTheProgramsOnlyWhereTheUserPutIt_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<uint>("owner");
        QTest::addColumn<bool>("writable");
        QTest::addColumn<uint>("user");
        QTest::addColumn<bool>("own");
        QTest::newRow("own build")
            << "/home/ann/pellmark/build/src" << 1000u << true << 1000u << true;
        QTest::newRow("own build, read-only")
            << "/home/ann/pellmark/build/src" << 1000u << false << 1000u << false;
        QTest::newRow("another user's, group-writable")
            << "/home/bob/pellmark" << 1001u << true << 1000u << false;
        QTest::newRow("packaged, started by a user") << "/usr/bin" << 0u << false << 1000u << false;
        QTest::newRow("packaged, started as root") << "/usr/bin" << 0u << true << 0u << false;
        QTest::newRow("root's build outside home") << "/work/pellmark" << 0u << true << 0u << true;
        QTest::newRow("a name that only starts like a system folder")
            << "/optical/pellmark" << 1000u << true << 1000u << true;
    }
    void saveFolderIsTheProgramsOnlyWhereTheUserPutIt() {
        QFETCH(QString, folder);
        QFETCH(uint, owner);
        QFETCH(bool, writable);
        QFETCH(uint, user);
        QFETCH(bool, own);
        QCOMPARE(pellmark::IsUsersOwnFolder(folder, owner, writable, user), own);
    }

    void saveFolderFallsBackToDocumentsOrHome() {
        QCOMPARE(pellmark::DefaultSaveFolder(scratch.path()), scratch.path() + "/");
        const QByteArray home = qgetenv("HOME");
        const QByteArray config = qgetenv("XDG_CONFIG_HOME");
        qputenv("HOME", scratch.path().toUtf8());
        qunsetenv("XDG_CONFIG_HOME");
        const QString fromMissing = pellmark::DefaultSaveFolder(scratch.filePath("missing"));
        QDir(scratch.path()).mkdir("Documents");
        const QString fromSystem = pellmark::DefaultSaveFolder("/usr/bin");
        qputenv("HOME", home);
        if (!config.isNull())
            qputenv("XDG_CONFIG_HOME", config);
        QCOMPARE(fromMissing, scratch.path() + "/");
        QCOMPARE(fromSystem, scratch.path() + "/Documents/");
    }

    // The user clicks into the day of the date field, types, and leaves the field with Tab.
    void typingADate_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QDate>("shown");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QDate>("date");
        const QDate today = QDate::currentDate();
        QTest::newRow("whole date into the end, which starts at today")
            << "rangeEnd" << today << "28Feb2005" << QDate(2005, 2, 28);
        QTest::newRow("whole date into the start")
            << "rangeStart" << today << "10Jun2005" << QDate(2005, 6, 10);
        QTest::newRow("day typed over")
            << "rangeEnd" << QDate(2005, 3, 15) << "30" << QDate(2005, 3, 30);
        QTest::newRow("a day after today becomes today")
            << "rangeEnd" << today.addYears(-1) << today.addYears(1).toString("dMMMyyyy") << today;
    }
    void typingADate() {
        QFETCH(QString, field);
        QFETCH(QDate, shown);
        QFETCH(QString, keys);
        QFETCH(QDate, date);
        auto* picker = control<QDateEdit>(field.toLatin1().constData());
        picker->setDisplayFormat("d MMM yyyy");
        picker->setDate(shown);
        auto* edit = picker->findChild<QLineEdit*>();
        // The middle of the day's digits; the text starts two pixels in.
        const int x =
            2 + edit->fontMetrics().horizontalAdvance(edit->text().section(u' ', 0, 0)) / 2;
        picker->setFocus();
        QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(x, edit->height() / 2));
        QTest::keyClicks(picker, keys);
        QTest::keyClick(picker, Qt::Key_Tab);
        QCOMPARE(picker->date(), date);
    }

    // The darkest pixel of a day's cell: black text where the day can be chosen.
    void calendarGreysTheDaysAfterTheLatest() {
        auto* picker = control<QDateEdit>("rangeEnd");
        picker->setDateRange(QDate(2005, 6, 1), QDate(2005, 6, 15));
        picker->setDate(QDate(2005, 6, 10));
        QTest::mouseClick(picker, Qt::LeftButton, {},
                          QPoint(picker->width() - 4, picker->height() / 2));
        auto* view = picker->calendarWidget()->findChild<QTableView*>();
        QVERIFY(view && view->isVisible());
        const QImage cells = view->viewport()->grab().toImage();
        const auto darkest = [&](int day) {
            int lightness = 255;
            for (int row = 0; row < view->model()->rowCount(); ++row)
                for (int column = 0; column < view->model()->columnCount(); ++column) {
                    const QModelIndex cell = view->model()->index(row, column);
                    const QRect rect = view->visualRect(cell);
                    for (int y = rect.top(); cell.data() == day && y <= rect.bottom(); ++y)
                        for (int x = rect.left(); x <= rect.right(); ++x)
                            lightness = std::min(lightness, cells.pixelColor(x, y).lightness());
                }
            return lightness;
        };
        QVERIFY2(darkest(14) < 60, "Tuesday 14 June, before the latest day");
        QVERIFY2(darkest(16) > 100, "Thursday 16 June, after it");
    }

    void categoryBoxes_data() {
        QTest::addColumn<bool>("byKeyboard");
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<QStringList>("checked");
        QTest::addColumn<Category>("category");
        for (const bool keyboard : {false, true}) {
            const char* way = keyboard ? "key" : "mouse";
            QTest::addRow("%s: Stocks clears Forex", way)
                << keyboard << QStringList{"Stocks"} << QStringList{"Stocks"} << Category::Stocks;
            QTest::addRow("%s: Stocks twice leaves none", way)
                << keyboard << QStringList{"Stocks", "Stocks"} << QStringList{} << Category::None;
            QTest::addRow("%s: checked Forex unchecks", way)
                << keyboard << QStringList{"Forex"} << QStringList{} << Category::None;
            QTest::addRow("%s: Indices then Forex", way)
                << keyboard << QStringList{"Indices", "Forex"} << QStringList{"Forex"}
                << Category::Forex;
        }
    }
    void categoryBoxes() {
        QFETCH(bool, byKeyboard);
        QFETCH(QStringList, clicks);
        QFETCH(QStringList, checked);
        QFETCH(Category, category);
        for (const QString& name : clicks) {
            auto* box = control<QCheckBox>(name.toLatin1().constData());
            if (byKeyboard) {
                box->setFocus();
                QTest::keyClick(box, Qt::Key_Space);
            } else {
                QTest::mouseClick(box, Qt::LeftButton);
            }
        }
        QCOMPARE(checkedCategories(), checked);
        QCOMPARE(form->category(), category);
    }

    void categoryBoxSetFromCodeLeavesTheOthers() {
        control<QCheckBox>("Indices")->setChecked(true);
        QCOMPARE(checkedCategories(), (QStringList{"Forex", "Indices"}));
        QCOMPARE(form->category(), Category::Forex);
    }

    void selectorsStayComplementary_data() {
        QTest::addColumn<QString>("picked");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("p1");
        QTest::addColumn<QString>("p2");
        QTest::addColumn<LineOrder>("order");
        QTest::newRow("TIME in firstField") << "firstField" << int(Qt::Key_Up) << "TIME"
                                            << "PRICE" << LineOrder::TimeFirst;
        QTest::newRow("PRICE in secondField") << "secondField" << int(Qt::Key_Down) << "TIME"
                                              << "PRICE" << LineOrder::TimeFirst;
        QTest::newRow("PRICE again in firstField") << "firstField" << int(Qt::Key_Down) << "PRICE"
                                                   << "TIME" << LineOrder::PriceFirst;
    }
    void selectorsStayComplementary() {
        QFETCH(QString, picked);
        QFETCH(int, key);
        QFETCH(QString, p1);
        QFETCH(QString, p2);
        QFETCH(LineOrder, order);
        QTest::keyClick(control<QComboBox>(picked.toLatin1().constData()), Qt::Key(key));
        QCOMPARE(control<QComboBox>("firstField")->currentText(), p1);
        QCOMPARE(control<QComboBox>("secondField")->currentText(), p2);
        QCOMPARE(form->lineOrder(), order);
    }

    void selectorSetFromCodeLeavesTheOther() {
        control<QComboBox>("firstField")->setCurrentIndex(0);
        QCOMPARE(control<QComboBox>("secondField")->currentText(), "TIME");
    }

    void separatorRefusesAFourthCharacter() {
        auto* sep = control<QLineEdit>("separatorField");
        sep->clear();
        QTest::keyClicks(sep, "ab;;");
        QCOMPARE(sep->text(), "ab;");
        QCOMPARE(form->separator(), std::string("ab;"));
        // A pasted line break would split every quote over two lines.
        sep->clear();
        sep->insert(";\r\n");
        sep->insert("\t");
        QCOMPARE(sep->text(), QString());
        sep->insert("%");
        QCOMPARE(sep->text(), QString("%"));
        // Characters as the user sees them: three beyond 16 bits fit, a fourth does not.
        const QString chart = QString::fromUtf8("\U0001F4C8");
        sep->clear();
        sep->insert(chart + chart + chart);
        sep->insert(chart);
        QCOMPARE(sep->text(), chart + chart + chart);
    }

    void tabVisitsTheControlsInOrder() {
        const QStringList expected{"forexSymbols",
                                   "Forex",
                                   "stockSymbols",
                                   "Stocks",
                                   "Indices",
                                   "indexSymbols",
                                   "rangeStart",
                                   "rangeEnd",
                                   "firstField",
                                   "secondField",
                                   "separatorField",
                                   "downloadButton",
                                   "saveFolderField",
                                   "aboutButton",
                                   "chooseFolderButton",
                                   "errorsList",
                                   "downloadErrorsButton"};
        control<QWidget>("forexSymbols")->setFocus();
        QStringList visited;
        for (qsizetype i = 0; i < expected.size(); ++i) {
            // Some controls keep the focus on an inner part.
            QWidget* focused = QApplication::focusWidget();
            while (focused && !expected.contains(focused->objectName()))
                focused = focused->parentWidget();
            visited << (focused ? focused->objectName() : QString());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(visited, expected);
    }

    void chosenFolder_data() {
        QTest::addColumn<std::optional<QString>>("choice");
        QTest::addColumn<bool>("createIt");
        QTest::addColumn<QString>("saveFolder");
        QTest::addColumn<int>("questions");
        QTest::addColumn<bool>("stillOpen");
        QTest::newRow("separator added")
            << std::optional<QString>("@") << true << "@/" << 0 << false;
        QTest::newRow("ends with separator")
            << std::optional<QString>("@/") << true << "@/" << 0 << false;
        QTest::newRow("root unchanged") << std::optional<QString>("/") << true << "/" << 0 << false;
        QTest::newRow("cancel keeps") << std::optional<QString>() << true << "old/" << 0 << false;
        QTest::newRow("missing, yes creates and closes")
            << std::optional<QString>("@/new/sub") << true << "@/new/sub/" << 1 << false;
        QTest::newRow("missing, no returns to the chooser")
            << std::optional<QString>("@/not") << false << "old/" << 1 << true;
    }
    void chosenFolder() {
        QFETCH(std::optional<QString>, choice);
        QFETCH(bool, createIt);
        QFETCH(QString, saveFolder);
        QFETCH(int, questions);
        QFETCH(bool, stillOpen);
        if (choice)
            chooser.answer = inScratch(*choice);
        boxes.answer = createIt;
        control<QLineEdit>("saveFolderField")->setText("old/");

        QTest::mouseClick(control<QPushButton>("chooseFolderButton"), Qt::LeftButton);

        QCOMPARE(chooser.startedAt, QDir::currentPath());
        QCOMPARE(control<QLineEdit>("saveFolderField")->text(), inScratch(saveFolder));
        QCOMPARE(boxes.texts(FakeMessageBoxes::Kind::Confirm), QStringList(questions, kCreateIt));
        QCOMPARE(chooser.stillOpen, stillOpen);
        if (choice)
            QCOMPARE(QFileInfo(inScratch(*choice)).isDir(), createIt);
    }

    void folderThatCannotBeMadeIsReported() {
        chooser.answer = "/proc/pellmark-window-test";
        control<QLineEdit>("saveFolderField")->setText("old/");
        QTest::mouseClick(control<QPushButton>("chooseFolderButton"), Qt::LeftButton);
        QCOMPARE(boxes.texts(FakeMessageBoxes::Kind::ErrorReport),
                 QStringList{"Cannot create folder \"/proc/pellmark-window-test\""});
        QCOMPARE(control<QLineEdit>("saveFolderField")->text(), "old/");
        QVERIFY(chooser.stillOpen);
    }

    void aboutButtonShowsTheAboutBoxModally() {
        QDialog about;
        form->setAboutBox(&about);
        QTest::mouseClick(control<QPushButton>("aboutButton"), Qt::LeftButton);
        QVERIFY(about.isVisible());
        QVERIFY(about.isModal());
    }

    void closingTheWindowIsAnnounced() {
        bool closed = false;
        connect(form.get(), &MainWindow::closed, this, [&] { closed = true; });
        form->close();
        QVERIFY(closed);
    }
};

QTEST_MAIN(TestForm)
#include "tst_form.moc"
