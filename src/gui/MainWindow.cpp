#include "gui/MainWindow.h"
#include "ui_MainWindow.h"

#include "Branding.h"

#include "core/DefaultSymbols.h"
#include "core/ErrorsList.h"
#include "gui/SaveFolder.h"
#include "net/QuoteService.h"
#include "run/RunInput.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QKeyEvent>
#include <QLocale>
#include <QScreen>
#include <QTextCursor>
#include <QValidator>

#include <algorithm>
#include <climits>

namespace {

const QString kCreateFolderQuestion =
    QStringLiteral("The specified directory does not exist. Create it?");
const QString kNoSymbolsWarning =
    QStringLiteral("At least one pair/symbol must be entered to start the download.");
const QString kReversedRangeWarning =
    QStringLiteral("The Start Date appears to be after the End Range Date.");
const QString kNoErrorsWarning = QStringLiteral("There are no \"errors\" to download.");
const QString kDoneMessage = QStringLiteral("Historical Data Download Done!");

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A memo holds its line breaks as LF; the errors list and its warning are built on CR LF.
std::string MemoText(const QPlainTextEdit* memo) {
    return memo->toPlainText().replace(u'\n', QStringLiteral("\r\n")).toStdString();
}

int GaugeValue(std::size_t value) {
    return static_cast<int>(std::min<std::size_t>(value, INT_MAX));
}

// Typing or pasting a separator the run would refuse is not taken.
class SeparatorValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        return pellmark::CheckSeparator(input) ? Invalid : Acceptable;
    }
};

// The two refusals the window's input can meet: its pickers stop at today, and its separator
// field takes no separator a run would refuse.
QString Refusal(pellmark::InputRefusal refusal) {
    return refusal == pellmark::InputRefusal::NoSymbols ? kNoSymbolsWarning : kReversedRangeWarning;
}

} // namespace

MainWindow::MainWindow(pellmark::DayFetcher& fetcher, Seams seams, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      ui(std::make_unique<Ui::MainWindow>()),
      ownBoxes_(seams.boxes ? nullptr : std::make_unique<pellmark::ScreenMessageBoxes>(this)),
      ownChooser_(seams.chooser ? nullptr : std::make_unique<pellmark::FolderDialogChooser>(this)),
      boxes_(seams.boxes ? seams.boxes : ownBoxes_.get()),
      chooser_(seams.chooser ? seams.chooser : ownChooser_.get()),
      asking_([this] { return category(); }),
      engine_(fetcher, asking_, [this] { return ui->saveFolderField->text().toStdString(); }),
      trayIcon_(this), idleTrayTip_(trayIcon_.toolTip()) {
    ui->setupUi(this);
    setWindowTitle(QString::fromUtf8(pellmark::kMainWindowCaption));
    setFixedSize(size());
    // Labels size themselves to their captions, so none is cut at this font.
    for (QLabel* label : findChildren<QLabel*>())
        if (label != ui->statusLine)
            label->adjustSize();
    const QString shortDate = QLocale().dateFormat(QLocale::ShortFormat);
    ui->rangeStart->setDisplayFormat(shortDate);
    ui->rangeEnd->setDisplayFormat(shortDate);
    ui->separatorField->setValidator(new SeparatorValidator(ui->separatorField));
    // Enter presses the button that has the focus, as Space does.
    for (QPushButton* button : findChildren<QPushButton*>())
        button->setAutoDefault(true);
    // Seventy blanks hold the status line's place until the first message.
    SetStatus(QString(70, u' '));
    ui->hostLabelField->setText(
        QString::fromUtf8(pellmark::kDefaultHostLabel.data(), pellmark::kDefaultHostLabel.size()));
    Wire();
    FillDefaults();
    if (const QScreen* desktop = screen())
        move(desktop->availableGeometry().center() - rect().center());
}

MainWindow::~MainWindow() = default;

void MainWindow::Wire() {
    const auto wire = [this](auto* sender, auto signal, void (MainWindow::*handler)()) {
        connect(sender, signal, this, [this, handler] { Guarded([&] { (this->*handler)(); }); });
    };
    // clicked and activated come from the user only, never from setting a value in code.
    wire(ui->Forex, &QCheckBox::clicked, &MainWindow::ForexChosen);
    wire(ui->Stocks, &QCheckBox::clicked, &MainWindow::StocksChosen);
    wire(ui->Indices, &QCheckBox::clicked, &MainWindow::IndicesChosen);
    wire(ui->firstField, &QComboBox::activated, &MainWindow::FirstFieldChosen);
    wire(ui->secondField, &QComboBox::activated, &MainWindow::SecondFieldChosen);
    wire(ui->chooseFolderButton, &QPushButton::clicked, &MainWindow::ChooseSaveFolder);
    wire(ui->downloadButton, &QPushButton::clicked, &MainWindow::DownloadOrStop);
    wire(ui->aboutButton, &QPushButton::clicked, &MainWindow::ShowAboutBox);
    wire(ui->downloadErrorsButton, &QPushButton::clicked, &MainWindow::DownloadErrors);

    // Alt+D and Alt+S both press the button in either state: users stop with the key they
    // started with. The caption's own key must not be doubled, or neither would work.
    downloadKey_ = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_D), this);
    stopKey_ = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_S), this);
    for (QShortcut* key : {downloadKey_, stopKey_})
        connect(key, &QShortcut::activated, ui->downloadButton, &QPushButton::click);
    downloadKey_->setEnabled(false);

    // A failure while the window records a day stops the run, so no day is lost unlisted.
    const auto duringRun = [this](auto&& body) {
        try {
            body();
        } catch (const std::exception& failure) {
            engine_.Abandon(failure.what());
        } catch (...) {
            engine_.Abandon("Unknown failure");
        }
    };
    connect(&engine_, &pellmark::RunEngine::itemStarting, this,
            [this, duringRun](std::size_t index, const pellmark::DayItem& item) {
                duringRun([&] { ItemStarting(index, item); });
            });
    connect(&engine_, &pellmark::RunEngine::itemDone, this,
            [this, duringRun](std::size_t, const pellmark::DayResult& result) {
                duringRun([&] { ItemDone(result); });
            });
    connect(&engine_, &pellmark::RunEngine::progress, this,
            [this, duringRun](const pellmark::RunProgress& progress) {
                duringRun([&] { ShowProgress(progress); });
            });
    connect(&engine_, &pellmark::RunEngine::ended, this,
            [this](const pellmark::RunEnd& end) { Guarded([&] { RunEnded(end); }); });
}

void MainWindow::FillDefaults() {
    ui->saveFolderField->setText(
        pellmark::DefaultSaveFolder(QCoreApplication::applicationDirPath()));
    const auto fill = [](QPlainTextEdit* memo, pellmark::Category category) {
        QStringList lines;
        for (const std::string& symbol : pellmark::DefaultSymbols(category))
            lines << FromUtf8(symbol);
        memo->setPlainText(lines.join(u'\n'));
    };
    fill(ui->forexSymbols, pellmark::Category::Forex);
    fill(ui->stockSymbols, pellmark::Category::Stocks);
    fill(ui->indexSymbols, pellmark::Category::Indices);
    ui->firstField->setCurrentIndex(1);
    ui->secondField->setCurrentIndex(0);
    ui->rangeStart->setDate(QDate::currentDate());
    ui->rangeEnd->setDate(QDate::currentDate());
    LimitDatesToToday();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Closing ends a run the way Stop does, so no file is written after the window is gone.
    StopRun();
    QWidget::closeEvent(event);
    if (event->isAccepted())
        emit closed();
}

// Enter anywhere else starts a download, as a dialog's default button would; it never stops one.
void MainWindow::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !Running()) {
        Guarded([this] { DownloadOrStop(); });
        return;
    }
    QWidget::keyPressEvent(event);
}

void MainWindow::ReportFailure(std::exception_ptr failure) noexcept {
    try {
        try {
            std::rethrow_exception(failure);
        } catch (const std::exception& e) {
            boxes_->ErrorReport(QString::fromUtf8(e.what()));
        } catch (...) {
            boxes_->ErrorReport(tr("Unknown failure"));
        }
    } catch (...) {
        // Nothing is left to tell the user with when the report itself fails.
    }
}

void MainWindow::SetStatus(const QString& text) {
    ui->statusLine->setText(text);
}

pellmark::Category MainWindow::category() const {
    if (ui->Forex->isChecked())
        return pellmark::Category::Forex;
    if (ui->Stocks->isChecked())
        return pellmark::Category::Stocks;
    if (ui->Indices->isChecked())
        return pellmark::Category::Indices;
    return pellmark::Category::None;
}

std::string MainWindow::hostLabel() const {
    return ui->hostLabelField->text().toStdString();
}

pellmark::LineOrder MainWindow::lineOrder() const {
    return ui->firstField->currentIndex() == 1 ? pellmark::LineOrder::PriceFirst
                                               : pellmark::LineOrder::TimeFirst;
}

std::string MainWindow::separator() const {
    return ui->separatorField->text().toStdString();
}

// Each category box clears the other two whatever its own new state, so clicking the
// checked box leaves none checked.
void MainWindow::ForexChosen() {
    ui->Stocks->setChecked(false);
    ui->Indices->setChecked(false);
}

void MainWindow::StocksChosen() {
    ui->Forex->setChecked(false);
    ui->Indices->setChecked(false);
}

void MainWindow::IndicesChosen() {
    ui->Forex->setChecked(false);
    ui->Stocks->setChecked(false);
}

// The selectors name the two fields in the order they are written, so they always differ.
void MainWindow::FirstFieldChosen() {
    ui->secondField->setCurrentIndex(ui->firstField->currentIndex() == 0 ? 1 : 0);
}

void MainWindow::SecondFieldChosen() {
    ui->firstField->setCurrentIndex(ui->secondField->currentIndex() == 0 ? 1 : 0);
}

void MainWindow::ChooseSaveFolder() {
    chooser_->Choose(
        QDir::currentPath(),
        // Asked while the chooser is still open, so that No returns the user to it.
        [this](const QString& folder, const pellmark::FolderChooser::Verdict& close) {
            boxes_->Confirm(kCreateFolderQuestion, [this, folder, close](bool yes) {
                bool made = false;
                if (yes)
                    Guarded([&] { made = CreateSaveFolder(folder); });
                // A folder that cannot be made is reported, and the chooser stays open.
                close(made);
            });
        },
        [this](const std::optional<QString>& folder) {
            Guarded([&] {
                if (folder)
                    SaveFolderChosen(*folder);
            });
        });
}

void MainWindow::SaveFolderChosen(const QString& folder) {
    ui->saveFolderField->setText(pellmark::WithTrailingSeparator(folder));
}

// Saving into a folder that is not there would fail for every file of the next run.
bool MainWindow::CreateSaveFolder(const QString& folder) {
    if (QDir().mkpath(folder))
        return true;
    boxes_->ErrorReport(tr("Cannot create folder \"%1\"").arg(QDir::toNativeSeparators(folder)));
    return false;
}

void MainWindow::ShowAboutBox() {
    if (!aboutBox_)
        return;
    aboutBox_->setWindowModality(Qt::ApplicationModal);
    aboutBox_->show();
}

std::vector<std::string> MainWindow::SymbolList() const {
    const QPlainTextEdit* memo = nullptr;
    switch (category()) {
    case pellmark::Category::Forex:
        memo = ui->forexSymbols;
        break;
    case pellmark::Category::Stocks:
        memo = ui->stockSymbols;
        break;
    case pellmark::Category::Indices:
        memo = ui->indexSymbols;
        break;
    case pellmark::Category::None:
        return {};
    }
    return pellmark::ListedSymbols(MemoText(memo));
}

std::string MainWindow::ErrorsListText() const {
    return MemoText(ui->errorsList);
}

// &Download, or &Stop while a run is going on.
void MainWindow::DownloadOrStop() {
    if (Running()) {
        // The second click of a double-click would stop the run it just started.
        if (sinceRunStart_.elapsed() >= QApplication::doubleClickInterval())
            StopRun();
        return;
    }
    // A typed date is taken by its field only when the focus leaves it; the run takes the
    // dates as the fields show them, whatever started it.
    ui->rangeStart->interpretText();
    ui->rangeEnd->interpretText();
    std::vector<std::string> symbols = SymbolList();
    const QDate start = ui->rangeStart->date();
    const QDate end = ui->rangeEnd->date();
    auto refusal = pellmark::CheckSymbols(symbols);
    if (!refusal)
        refusal = pellmark::CheckRange(start, end);
    if (refusal) {
        boxes_->Warning(Refusal(*refusal));
        return;
    }
    StartRun(RunKind::Batch, pellmark::DayItems::ForRange(std::move(symbols), start, end));
}

// Download &Errors: fetches again the items listed when it starts; the list cannot be edited
// meanwhile, so nothing typed during the retry is lost when the list is replaced.
void MainWindow::DownloadErrors() {
    if (Running())
        return;
    const auto listed = pellmark::ReadRetryList(ErrorsListText(), pellmark::ListReading::AsTyped);
    if (listed.empty()) {
        boxes_->Warning(kNoErrorsWarning);
        return;
    }
    std::vector<pellmark::DayItem> items;
    items.reserve(listed.size());
    for (const pellmark::ListedItem& line : listed)
        items.push_back(line.item);
    StartRun(RunKind::Retry, pellmark::DayItems::AsListed(std::move(items)));
}

void MainWindow::StartRun(RunKind kind, pellmark::DayItems items) {
    if (const pellmark::Done ready = canFetch_ ? canFetch_() : pellmark::Done(); !ready) {
        boxes_->ErrorReport(FromUtf8(ready.reason()));
        return;
    }
    const QString folder = ui->saveFolderField->text();
    folderLock_.emplace(folder);
    if (folderLock_->Busy()) {
        folderLock_.reset();
        boxes_->Warning(FromUtf8(pellmark::FolderBusyReason(folder.toStdString())));
        return;
    }
    runKind_ = kind;
    ui->gauge->setMaximum(GaugeValue(items.Size()));
    // Counted from the start of every run, also after one that ended on a file error.
    ui->gauge->setProgress(0);
    sinceRunStart_.start();
    ShowRunning(true);
    engine_.Start(std::move(items));
}

void MainWindow::StopRun() {
    engine_.Stop();
}

void MainWindow::ShowRunning(bool running) {
    ui->downloadButton->setText(running ? tr("&Stop") : tr("&Download"));
    downloadKey_->setEnabled(running);
    stopKey_->setEnabled(!running);
    ui->downloadErrorsButton->setEnabled(!running);
    ui->errorsList->setReadOnly(running && runKind_ == RunKind::Retry);
    LimitDatesToToday();
    if (!running) {
        ui->gauge->setToolTip({});
        trayIcon_.setToolTip(idleTrayTip_);
    }
}

// Days after today have no quotes; the limit follows the calendar from run to run.
void MainWindow::LimitDatesToToday() {
    ui->rangeStart->setMaximumDate(QDate::currentDate());
    ui->rangeEnd->setMaximumDate(QDate::currentDate());
}

void MainWindow::ItemStarting(std::size_t, const pellmark::DayItem& item) {
    SetStatus(QStringLiteral("Downloading Historical for ") + FromUtf8(item.symbol) +
              QStringLiteral(" on ") + FromUtf8(item.dateLabel));
}

void MainWindow::ItemDone(const pellmark::DayResult& result) {
    // A retry's list is replaced as a whole when it ends.
    if (runKind_ == RunKind::Batch && pellmark::GoesToErrorsList(result.outcome))
        AddFailedItems({result.item});
}

void MainWindow::ShowProgress(const pellmark::RunProgress& progress) {
    ui->gauge->setProgress(GaugeValue(progress.done));
    const QString text = FromUtf8(pellmark::DescribeProgress(progress));
    ui->gauge->setToolTip(text);
    trayIcon_.setToolTip(text);
}

// Appended through a cursor of its own where the list ends. The user's cursor and selection
// keep their place, except where what is typed next would join the new item: a cursor after
// the list's last break moves on past the item, and a selection up to there gives up that break.
void MainWindow::AddFailedItems(const std::vector<pellmark::DayItem>& items) {
    const QString before = ui->errorsList->toPlainText();
    const int listEnd = static_cast<int>(before.size());
    const bool afterBreak = before.isEmpty() || before.endsWith(u'\n');
    const QTextCursor typing = ui->errorsList->textCursor();
    int anchor = typing.anchor();
    int position = typing.position();
    const std::string added = pellmark::MemoAddition(ErrorsListText(), items);
    QTextCursor end(ui->errorsList->document());
    end.movePosition(QTextCursor::End);
    end.insertText(FromUtf8(added).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    if (afterBreak && anchor == listEnd && position == listEnd) {
        anchor = position = end.position();
    } else if (afterBreak) {
        anchor -= anchor == listEnd ? 1 : 0;
        position -= position == listEnd ? 1 : 0;
    }
    QTextCursor kept(ui->errorsList->document());
    kept.setPosition(anchor);
    kept.setPosition(position, QTextCursor::KeepAnchor);
    ui->errorsList->setTextCursor(kept);
}

// The list cannot be edited during a retry, so it still holds what the retry read.
void MainWindow::ReplaceFailedItems(const std::vector<pellmark::DayItem>& leftToDo) {
    ui->errorsList->setPlainText(FromUtf8(pellmark::ListAfterRetry(ErrorsListText(), leftToDo)));
}

void MainWindow::RunEnded(const pellmark::RunEnd& end) {
    using How = pellmark::RunEnd::How;
    folderLock_.reset();
    ShowRunning(false);
    // A retry's list becomes what still fails; a stopped or failed run adds every day it did
    // not do, so Download Errors resumes from there.
    if (runKind_ == RunKind::Retry) {
        ReplaceFailedItems(end.LeftToDo());
    } else {
        AddFailedItems(end.notDone);
    }
    switch (end.how) {
    case How::Finished:
        QApplication::beep();
        ShowFinalMessages();
        break;
    case How::Stopped:
        ui->gauge->setProgress(0);
        SetStatus(QStringLiteral("Download stopped."));
        break;
    case How::Abandoned:
        // The status line and the gauge keep their last values.
        boxes_->ErrorReport(FromUtf8(end.error));
        break;
    }
}

void MainWindow::ShowFinalMessages() {
    const auto done = [this] {
        boxes_->Information(kDoneMessage, [this] {
            ui->gauge->setProgress(0);
            SetStatus(QStringLiteral("Download done."));
        });
    };
    const std::string failed = ErrorsListText();
    if (pellmark::SplitLines(failed).empty())
        done();
    else
        boxes_->Warning(FromUtf8(pellmark::FailedItemsWarning(failed)), done);
}
