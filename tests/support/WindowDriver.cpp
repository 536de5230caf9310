#include "WindowDriver.h"

#include "ServiceDay.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace {

const QString kParent = QStringLiteral("parent");
const QString kSave = QStringLiteral("save");
const QString kCurrent = QStringLiteral("cwd");

QStringList Entries(const QString& path) {
    return QDir(path).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

WindowDriver::WindowDriver() {
    fake.answer = ServiceDayFetch;
    Open(fake);
}

WindowDriver::WindowDriver(const ServiceRoute& route) : WindowDriver(route, QString()) {}

WindowDriver::WindowDriver(const ServiceRoute& route, const QString& saveFolder)
    : saveFolder_(saveFolder), browser_(std::make_unique<pellmark::HiddenBrowser>(
                                   nullptr, route.proxyUrl.toStdString(), route.pageTimeLimit)),
      fetch_(std::make_unique<pellmark::QuoteFetch>(*browser_, formRelay_, route.pause)) {
    Open(*fetch_);
    formRelay_.Bind(*form);
}

void WindowDriver::Open(pellmark::DayFetcher& fetcher) {
    previousCurrent_ = QDir::currentPath();
    if (saveFolder_.isEmpty()) {
        scratch_.emplace();
        QDir(scratch_->path()).mkpath(kParent + "/" + kSave);
        QDir(scratch_->path()).mkpath(kCurrent);
        QDir::setCurrent(scratch_->filePath(kCurrent));
        saveFolder_ = scratch_->filePath(kParent + "/" + kSave) + "/";
    }
    MainWindow::Seams seams;
    seams.boxes = &boxes;
    form = std::make_unique<MainWindow>(fetcher, seams);
    setSaveFolderText(saveFolder());
}

WindowDriver::~WindowDriver() {
    form.reset();
    QDir::setCurrent(previousCurrent_);
}

void WindowDriver::setSymbols(const char* category, const QString& text) {
    for (const char* box : {"Forex", "Stocks", "Indices"})
        child<QCheckBox>(box)->setChecked(qstrcmp(box, category) == 0);
    const char* memo = qstrcmp(category, "Forex") == 0    ? "forexSymbols"
                       : qstrcmp(category, "Stocks") == 0 ? "stockSymbols"
                                                          : "indexSymbols";
    child<QPlainTextEdit>(memo)->setPlainText(text);
}

void WindowDriver::setRange(QDate start, QDate end) {
    child<QDateEdit>("rangeStart")->setDate(start);
    child<QDateEdit>("rangeEnd")->setDate(end);
}

void WindowDriver::setLayout(pellmark::LineOrder order, const QString& separator) {
    child<QComboBox>("firstField")
        ->setCurrentIndex(order == pellmark::LineOrder::PriceFirst ? 1 : 0);
    child<QLineEdit>("separatorField")->setText(separator);
}

void WindowDriver::setSaveFolderText(const QString& text) {
    child<QLineEdit>("saveFolderField")->setText(text);
}

void WindowDriver::download() {
    QTest::mouseClick(child<QPushButton>("downloadButton"), Qt::LeftButton);
}

void WindowDriver::retry() {
    QTest::mouseClick(child<QPushButton>("downloadErrorsButton"), Qt::LeftButton);
}

bool WindowDriver::waitUntilIdle(int timeoutMs) {
    return QTest::qWaitFor([this] { return !form->Running(); }, timeoutMs);
}

QString WindowDriver::status() const {
    return child<QLabel>("statusLine")->text();
}

QString WindowDriver::errors() const {
    return child<QPlainTextEdit>("errorsList")->toPlainText();
}

void WindowDriver::setErrors(const QString& text) {
    child<QPlainTextEdit>("errorsList")->setPlainText(text);
}

void WindowDriver::typeError(const QString& item) {
    auto* bady = child<QPlainTextEdit>("errorsList");
    bady->setFocus();
    QTest::keyClick(bady, Qt::Key_End, Qt::ControlModifier);
    if (!errors().isEmpty() && !errors().endsWith(u'\n'))
        QTest::keyClick(bady, Qt::Key_Return);
    QTest::keyClicks(bady, item);
}

QString WindowDriver::saveFolder() const {
    return saveFolder_;
}

QStringList WindowDriver::files() const {
    return Entries(saveFolder());
}

QByteArray WindowDriver::file(const QString& name) const {
    QFile in(saveFolder() + name);
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

QStringList WindowDriver::strays() const {
    QStringList found;
    if (!scratch_)
        return found;
    for (const QString& entry : Entries(scratch_->path()))
        if (entry != kParent && entry != kCurrent)
            found << entry;
    for (const QString& entry : Entries(scratch_->filePath(kParent)))
        if (entry != kSave)
            found << kParent + "/" + entry;
    for (const QString& entry : Entries(scratch_->filePath(kCurrent)))
        found << kCurrent + "/" + entry;
    return found;
}
