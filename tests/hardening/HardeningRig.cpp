#include "HardeningRig.h"

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

QRegularExpression QuoteLinePattern(pellmark::LineOrder order, const QString& separator) {
    const QString price = QStringLiteral(R"(\d+\.\d+)");
    const QString time = QStringLiteral(R"(\d\d:\d\d)");
    const QString sep = QRegularExpression::escape(separator);
    return QRegularExpression(order == pellmark::LineOrder::PriceFirst
                                  ? "^" + price + sep + time + "$"
                                  : "^" + time + sep + price + "$");
}

Rig::Rig(const QString& proxyUrl, std::chrono::milliseconds pageTimeLimit)
    : previousCurrent_(QDir::currentPath()) {
    QDir(scratch_.path()).mkpath(kParent + "/" + kSave);
    QDir(scratch_.path()).mkpath(kCurrent);
    QDir::setCurrent(scratch_.filePath(kCurrent));

    TForm1::Seams seams;
    seams.boxes = &boxes;
    seams.fetchPause = std::chrono::milliseconds(0);
    seams.pageTimeLimit = pageTimeLimit;
    seams.proxy = proxyUrl.toStdString();
    form = std::make_unique<TForm1>(seams);
    setSaveFolderText(saveFolder());
    child<QDateEdit>("DatPick")->setDate(kMonday);
    child<QDateEdit>("DatPick2")->setDate(kMonday);
}

Rig::~Rig() {
    form.reset();
    QDir::setCurrent(previousCurrent_);
}

void Rig::setSymbols(const char* category, const QString& text) {
    for (const char* box : {"Forex", "Stocks", "Indices"})
        child<QCheckBox>(box)->setChecked(qstrcmp(box, category) == 0);
    const char* memo = qstrcmp(category, "Forex") == 0    ? "Memo1"
                       : qstrcmp(category, "Stocks") == 0 ? "Memo2"
                                                          : "Memo4";
    child<QPlainTextEdit>(memo)->setPlainText(text);
}

void Rig::setLayout(pellmark::LineOrder order, const QString& separator) {
    child<QComboBox>("P1")->setCurrentIndex(order == pellmark::LineOrder::PriceFirst ? 1 : 0);
    child<QLineEdit>("Sep")->setText(separator);
}

void Rig::setSaveFolderText(const QString& text) {
    child<QLineEdit>("SaveLoad")->setText(text);
}

void Rig::download() {
    QTest::mouseClick(child<QPushButton>("sBitBtn1"), Qt::LeftButton);
}

void Rig::retry() {
    QTest::mouseClick(child<QPushButton>("sButton1"), Qt::LeftButton);
}

bool Rig::waitUntilIdle(int timeoutMs) {
    return QTest::qWaitFor([this] { return !form->Running(); }, timeoutMs);
}

QString Rig::status() const {
    return child<QLabel>("StatB")->text();
}

QString Rig::errors() const {
    return child<QPlainTextEdit>("Bady")->toPlainText();
}

void Rig::setErrors(const QString& text) {
    child<QPlainTextEdit>("Bady")->setPlainText(text);
}

QString Rig::saveFolder() const {
    return scratch_.filePath(kParent + "/" + kSave) + "/";
}

QStringList Rig::files() const {
    return Entries(saveFolder());
}

QByteArray Rig::file(const QString& name) const {
    QFile in(saveFolder() + name);
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

QStringList Rig::junkLines(pellmark::LineOrder order, const QString& separator) const {
    const QRegularExpression pattern = QuoteLinePattern(order, separator);
    QStringList junk;
    for (const QString& name : files()) {
        const QByteArray bytes = file(name);
        if (!bytes.endsWith("\r\n")) {
            junk << name + ": no CR LF at the end";
            continue;
        }
        const QString text = QString::fromUtf8(bytes.chopped(2));
        for (const QString& line : text.split(QStringLiteral("\r\n")))
            if (!pattern.match(line).hasMatch())
                junk << name + ": " + line.left(80);
    }
    return junk;
}

QStringList Rig::strays() const {
    QStringList found;
    for (const QString& entry : Entries(scratch_.path()))
        if (entry != kParent && entry != kCurrent)
            found << entry;
    for (const QString& entry : Entries(scratch_.filePath(kParent)))
        if (entry != kSave)
            found << kParent + "/" + entry;
    for (const QString& entry : Entries(scratch_.filePath(kCurrent)))
        found << kCurrent + "/" + entry;
    return found;
}

bool Rig::normalDownloadWorks() {
    const QString name = "AUDUSD-" + kMondayLabel + ".txt";
    QFile::remove(saveFolder() + name);
    setSymbols("Forex", QStringLiteral("AUDUSD"));
    setLayout(pellmark::LineOrder::PriceFirst, QStringLiteral(" - "));
    setSaveFolderText(saveFolder());
    const qsizetype doneBefore = boxes.texts(FakeMessageBoxes::Kind::Information).size();
    download();
    return waitUntilIdle(10000) &&
           boxes.texts(FakeMessageBoxes::Kind::Information).size() == doneBefore + 1 &&
           file(name) == ExpectedDayBytes("frxAUDUSD", kMondayLabel);
}
