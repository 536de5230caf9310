#include "HardeningRig.h"

#include <QFile>

QRegularExpression QuoteLinePattern(pellmark::LineOrder order, const QString& separator) {
    const QString price = QStringLiteral(R"(\d+\.\d+)");
    const QString time = QStringLiteral(R"(\d\d:\d\d)");
    const QString sep = QRegularExpression::escape(separator);
    return QRegularExpression(order == pellmark::LineOrder::PriceFirst
                                  ? "^" + price + sep + time + "$"
                                  : "^" + time + sep + price + "$");
}

Rig::Rig() {
    setRange(kMonday, kMonday);
}

Rig::Rig(const QString& proxyUrl, std::chrono::milliseconds pageTimeLimit)
    : WindowDriver(ServiceRoute{proxyUrl, std::chrono::milliseconds(0), pageTimeLimit}) {
    setRange(kMonday, kMonday);
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
