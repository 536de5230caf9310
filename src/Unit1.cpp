#include "Unit1.h"
#include "ui_Unit1.h"

#include "Branding.h"

#include "core/DefaultSymbols.h"
#include "core/ErrorsList.h"
#include "core/FailedItems.h"
#include "gui/SaveFolder.h"
#include "quote/QuoteService.h"
#include "run/RunInput.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QLocale>
#include <QScreen>
#include <QTextCursor>
#include <QValidator>

#include <algorithm>
#include <climits>
#include <stdexcept>

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

TForm1::TForm1(pellmark::DayFetcher& fetcher, Seams seams, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      ui(std::make_unique<Ui::TForm1>()),
      ownBoxes_(seams.boxes ? nullptr : std::make_unique<pellmark::ScreenMessageBoxes>(this)),
      ownChooser_(seams.chooser ? nullptr : std::make_unique<pellmark::FolderDialogChooser>(this)),
      boxes_(seams.boxes ? seams.boxes : ownBoxes_.get()),
      chooser_(seams.chooser ? seams.chooser : ownChooser_.get()),
      engine_(fetcher, [this] { return ui->SaveLoad->text().toStdString(); }), TrayIcon1(this),
      idleTrayTip_(TrayIcon1.toolTip()) {
    ui->setupUi(this);
    setWindowTitle(QString::fromUtf8(pellmark::kMainWindowCaption));
    setFixedSize(size());
    // Labels size themselves to their captions, so none is cut at this font.
    for (QLabel* label : findChildren<QLabel*>())
        if (label != ui->StatB)
            label->adjustSize();
    const QString shortDate = QLocale().dateFormat(QLocale::ShortFormat);
    ui->DatPick->setDisplayFormat(shortDate);
    ui->DatPick2->setDisplayFormat(shortDate);
    ui->Sep->setValidator(new SeparatorValidator(ui->Sep));
    // Seventy blanks hold the status line's place until the first message.
    SetStatus(QString(70, u' '));
    ui->Subdomain->setText(
        QString::fromUtf8(pellmark::kDefaultHostLabel.data(), pellmark::kDefaultHostLabel.size()));
    Wire();
    FormCreate();
    if (const QScreen* desktop = screen())
        move(desktop->availableGeometry().center() - rect().center());
}

TForm1::~TForm1() = default;

void TForm1::Wire() {
    const auto wire = [this](auto* sender, auto signal, void (TForm1::*handler)()) {
        connect(sender, signal, this, [this, handler] { Guarded([&] { (this->*handler)(); }); });
    };
    // clicked and activated come from the user only, never from setting a value in code.
    wire(ui->Forex, &QCheckBox::clicked, &TForm1::ForexChange);
    wire(ui->Stocks, &QCheckBox::clicked, &TForm1::StocksChange);
    wire(ui->Indices, &QCheckBox::clicked, &TForm1::IndicesChange);
    wire(ui->P1, &QComboBox::activated, &TForm1::P1Change);
    wire(ui->P2, &QComboBox::activated, &TForm1::P2Change);
    wire(ui->sButton2, &QPushButton::clicked, &TForm1::sButton2Click);
    wire(ui->sBitBtn1, &QPushButton::clicked, &TForm1::sBitBtn1Click);
    wire(ui->sBitBtn2, &QPushButton::clicked, &TForm1::sBitBtn2Click);
    wire(ui->sButton1, &QPushButton::clicked, &TForm1::sButton1Click);

    // Alt+D and Alt+S both press the button in either state: users stop with the key they
    // started with. The caption's own key must not be doubled, or neither would work.
    downloadKey_ = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_D), this);
    stopKey_ = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_S), this);
    for (QShortcut* key : {downloadKey_, stopKey_})
        connect(key, &QShortcut::activated, ui->sBitBtn1, &QPushButton::click);
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

void TForm1::FormCreate() {
    ui->SaveLoad->setText(pellmark::DefaultSaveFolder(QCoreApplication::applicationDirPath()));
    const auto fill = [](QPlainTextEdit* memo, pellmark::Category category) {
        QStringList lines;
        for (const std::string& symbol : pellmark::DefaultSymbols(category))
            lines << FromUtf8(symbol);
        memo->setPlainText(lines.join(u'\n'));
    };
    fill(ui->Memo1, pellmark::Category::Forex);
    fill(ui->Memo2, pellmark::Category::Stocks);
    fill(ui->Memo4, pellmark::Category::Indices);
    ui->P1->setCurrentIndex(1);
    ui->P2->setCurrentIndex(0);
    ui->DatPick->setDate(QDate::currentDate());
    ui->DatPick2->setDate(QDate::currentDate());
    LimitDatesToToday();
}

void TForm1::closeEvent(QCloseEvent* event) {
    // Closing ends a run the way Stop does, so no file is written after the window is gone.
    StopRun();
    QWidget::closeEvent(event);
    if (event->isAccepted())
        emit closed();
}

void TForm1::ReportFailure(std::exception_ptr failure) noexcept {
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

void TForm1::SetStatus(const QString& text) {
    ui->StatB->setText(text);
}

pellmark::Category TForm1::category() const {
    if (ui->Forex->isChecked())
        return pellmark::Category::Forex;
    if (ui->Stocks->isChecked())
        return pellmark::Category::Stocks;
    if (ui->Indices->isChecked())
        return pellmark::Category::Indices;
    return pellmark::Category::None;
}

std::string TForm1::hostLabel() const {
    return ui->Subdomain->text().toStdString();
}

pellmark::LineOrder TForm1::lineOrder() const {
    return ui->P1->currentIndex() == 1 ? pellmark::LineOrder::PriceFirst
                                       : pellmark::LineOrder::TimeFirst;
}

std::string TForm1::separator() const {
    return ui->Sep->text().toStdString();
}

// Each category box clears the other two whatever its own new state, so clicking the
// checked box leaves none checked.
void TForm1::ForexChange() {
    ui->Stocks->setChecked(false);
    ui->Indices->setChecked(false);
}

void TForm1::StocksChange() {
    ui->Forex->setChecked(false);
    ui->Indices->setChecked(false);
}

void TForm1::IndicesChange() {
    ui->Forex->setChecked(false);
    ui->Stocks->setChecked(false);
}

// The selectors name the two fields in the order they are written, so they always differ.
void TForm1::P1Change() {
    ui->P2->setCurrentIndex(ui->P1->currentIndex() == 0 ? 1 : 0);
}

void TForm1::P2Change() {
    ui->P1->setCurrentIndex(ui->P2->currentIndex() == 0 ? 1 : 0);
}

void TForm1::sButton2Click() {
    chooser_->Choose(
        QDir::currentPath(),
        // Asked while the chooser is still open, so that No returns the user to it.
        [this](const QString& folder, const pellmark::FolderChooser::Verdict& close) {
            boxes_->Confirm(kCreateFolderQuestion, [this, folder, close](bool yes) {
                bool made = false;
                if (yes)
                    Guarded([&] {
                        CreateSaveFolder(folder);
                        made = true;
                    });
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

void TForm1::SaveFolderChosen(const QString& folder) {
    ui->SaveLoad->setText(pellmark::WithTrailingSeparator(folder));
}

// Saving into a folder that is not there would fail for every file of the next run.
void TForm1::CreateSaveFolder(const QString& folder) {
    if (!QDir().mkpath(folder))
        throw std::runtime_error(
            tr("Cannot create folder \"%1\"").arg(QDir::toNativeSeparators(folder)).toStdString());
}

void TForm1::sBitBtn2Click() {
    if (!aboutBox_)
        return;
    aboutBox_->setWindowModality(Qt::ApplicationModal);
    aboutBox_->show();
}

std::vector<std::string> TForm1::SymbolList() const {
    const QPlainTextEdit* memo = nullptr;
    switch (category()) {
    case pellmark::Category::Forex:
        memo = ui->Memo1;
        break;
    case pellmark::Category::Stocks:
        memo = ui->Memo2;
        break;
    case pellmark::Category::Indices:
        memo = ui->Memo4;
        break;
    case pellmark::Category::None:
        return {};
    }
    return pellmark::SplitLines(MemoText(memo));
}

std::string TForm1::ErrorsListText() const {
    return MemoText(ui->Bady);
}

// &Download, or &Stop while a run is going on.
void TForm1::sBitBtn1Click() {
    if (Running()) {
        // The second click of a double-click would stop the run it just started.
        if (sinceRunStart_.elapsed() >= QApplication::doubleClickInterval())
            StopRun();
        return;
    }
    std::vector<std::string> symbols = SymbolList();
    const QDate start = ui->DatPick->date();
    const QDate end = ui->DatPick2->date();
    auto refusal = pellmark::CheckSymbols(symbols);
    if (!refusal)
        refusal = pellmark::CheckRange(start, end);
    if (refusal) {
        boxes_->Warning(Refusal(*refusal));
        return;
    }
    auto items = pellmark::DayItems::ForRange(std::move(symbols), start, end);
    ui->PB->setMaximum(GaugeValue(items.Size()));
    StartRun(RunKind::Batch, std::move(items));
}

// Download &Errors: fetches again the items listed when it starts; the list cannot be edited
// meanwhile, so nothing typed during the retry is lost when the list is replaced.
void TForm1::sButton1Click() {
    if (Running())
        return;
    const auto listed = pellmark::ReadRetryList(ErrorsListText(), pellmark::ListReading::AsTyped);
    if (listed.empty()) {
        boxes_->Warning(kNoErrorsWarning);
        return;
    }
    ui->PB->setMaximum(GaugeValue(listed.size()));
    std::vector<pellmark::DayItem> items;
    items.reserve(listed.size());
    for (const pellmark::ListedItem& line : listed)
        items.push_back(line.item);
    StartRun(RunKind::Retry, pellmark::DayItems::AsListed(std::move(items)));
}

void TForm1::StartRun(RunKind kind, pellmark::DayItems items) {
    runKind_ = kind;
    // Counted from the start of every run, also after one that ended on a file error.
    ui->PB->setProgress(0);
    sinceRunStart_.start();
    ShowRunning(true);
    engine_.Start(std::move(items));
}

void TForm1::StopRun() {
    engine_.Stop();
}

void TForm1::ShowRunning(bool running) {
    ui->sBitBtn1->setText(running ? tr("&Stop") : tr("&Download"));
    downloadKey_->setEnabled(running);
    stopKey_->setEnabled(!running);
    ui->sButton1->setEnabled(!running);
    ui->Bady->setReadOnly(running && runKind_ == RunKind::Retry);
    LimitDatesToToday();
    if (!running) {
        ui->PB->setToolTip({});
        TrayIcon1.setToolTip(idleTrayTip_);
    }
}

// Days after today have no quotes; the limit follows the calendar from run to run.
void TForm1::LimitDatesToToday() {
    ui->DatPick->setMaximumDate(QDate::currentDate());
    ui->DatPick2->setMaximumDate(QDate::currentDate());
}

void TForm1::ItemStarting(std::size_t index, const pellmark::DayItem& item) {
    if (runKind_ == RunKind::Retry)
        ui->PB->setProgress(GaugeValue(index));
    SetStatus(QStringLiteral("Downloading Historical for ") + FromUtf8(item.symbol) +
              QStringLiteral(" on ") + FromUtf8(item.dateLabel));
}

void TForm1::ItemDone(const pellmark::DayResult& result) {
    // A retry's list is replaced as a whole when it ends.
    if (runKind_ == RunKind::Batch && pellmark::GoesToErrorsList(result.outcome))
        AddFailedItems({result.item});
}

void TForm1::ShowProgress(const pellmark::RunProgress& progress) {
    if (runKind_ == RunKind::Batch)
        ui->PB->setProgress(GaugeValue(progress.done));
    const QString text = FromUtf8(pellmark::DescribeProgress(progress));
    ui->PB->setToolTip(text);
    TrayIcon1.setToolTip(text);
}

// Appended through a cursor of its own where the list ends; the memo's cursor and selection
// stay where the user had them, even when they were at the very end.
void TForm1::AddFailedItems(const std::vector<pellmark::DayItem>& items) {
    const QTextCursor typing = ui->Bady->textCursor();
    const int anchor = typing.anchor();
    const int position = typing.position();
    const std::string added = pellmark::MemoAddition(ErrorsListText(), items);
    QTextCursor end(ui->Bady->document());
    end.movePosition(QTextCursor::End);
    end.insertText(FromUtf8(added).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    const QTextCursor moved = ui->Bady->textCursor();
    if (moved.anchor() == anchor && moved.position() == position)
        return;
    QTextCursor kept(ui->Bady->document());
    kept.setPosition(anchor);
    kept.setPosition(position, QTextCursor::KeepAnchor);
    ui->Bady->setTextCursor(kept);
}

void TForm1::ReplaceFailedItems(const std::vector<pellmark::DayItem>& items) {
    ui->Bady->setPlainText(FromUtf8(pellmark::FailedItemLines(items)));
}

void TForm1::RunEnded(const pellmark::RunEnd& end) {
    using How = pellmark::RunEnd::How;
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
        ui->PB->setProgress(0);
        SetStatus(QStringLiteral("Download stopped."));
        break;
    case How::Abandoned:
        // The status line and the gauge keep their last values.
        boxes_->ErrorReport(FromUtf8(end.error));
        break;
    }
}

void TForm1::ShowFinalMessages() {
    const auto done = [this] {
        boxes_->Information(kDoneMessage, [this] {
            ui->PB->setProgress(0);
            SetStatus(QStringLiteral("Download done."));
        });
    };
    const std::string failed = ErrorsListText();
    if (pellmark::SplitLines(failed).empty())
        done();
    else
        boxes_->Warning(FromUtf8(pellmark::FailedItemsWarning(failed)), done);
}
