#include "Unit1.h"
#include "ui_Unit1.h"

#include "gui/SaveFolder.h"
#include "quote/QuoteService.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QScreen>

#include <stdexcept>

namespace {

const QString kCreateFolderQuestion =
    QStringLiteral("The specified directory does not exist. Create it?");

} // namespace

TForm1::TForm1(Seams seams, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      ui(std::make_unique<Ui::TForm1>()),
      ownBoxes_(seams.boxes ? nullptr : std::make_unique<pellmark::ScreenMessageBoxes>(this)),
      ownChooser_(seams.chooser ? nullptr : std::make_unique<pellmark::FolderDialogChooser>(this)),
      boxes_(seams.boxes ? seams.boxes : ownBoxes_.get()),
      chooser_(seams.chooser ? seams.chooser : ownChooser_.get()), Web1(nullptr, seams.proxy),
      quoteFetch_(Web1, *this, seams.fetchPause) {
    ui->setupUi(this);
    setFixedSize(size());
    // Labels size themselves to their captions, so none is cut at this font.
    for (QLabel* label : findChildren<QLabel*>())
        if (label != ui->StatB)
            label->adjustSize();
    const QString shortDate = QLocale().dateFormat(QLocale::ShortFormat);
    ui->DatPick->setDisplayFormat(shortDate);
    ui->DatPick2->setDisplayFormat(shortDate);
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
}

void TForm1::FormCreate() {
    ui->SaveLoad->setText(pellmark::DefaultSaveFolder(QCoreApplication::applicationDirPath()));
    ui->P1->setCurrentIndex(1);
    ui->P2->setCurrentIndex(0);
    ui->DatPick->setDate(QDate::currentDate());
    ui->DatPick2->setDate(QDate::currentDate());
}

void TForm1::closeEvent(QCloseEvent* event) {
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
    chooser_->Choose(QDir::currentPath(), [this](const std::optional<QString>& folder) {
        Guarded([&] {
            if (folder)
                SaveFolderChosen(*folder);
        });
    });
}

void TForm1::SaveFolderChosen(const QString& folder) {
    if (QFileInfo::exists(folder)) {
        ui->SaveLoad->setText(pellmark::WithTrailingSeparator(folder));
        return;
    }
    // Saving into a folder that is not there would fail for every file of the next run.
    boxes_->Confirm(kCreateFolderQuestion, [this, folder](bool yes) {
        Guarded([&] {
            if (yes)
                CreateSaveFolder(folder);
        });
    });
}

void TForm1::CreateSaveFolder(const QString& folder) {
    if (!QDir().mkpath(folder))
        throw std::runtime_error(
            tr("Cannot create folder \"%1\"").arg(QDir::toNativeSeparators(folder)).toStdString());
    ui->SaveLoad->setText(pellmark::WithTrailingSeparator(folder));
}

void TForm1::sBitBtn2Click() {
    if (!aboutBox_)
        return;
    aboutBox_->setWindowModality(Qt::ApplicationModal);
    aboutBox_->show();
}

void TForm1::sBitBtn1Click() {}

void TForm1::sButton1Click() {}
