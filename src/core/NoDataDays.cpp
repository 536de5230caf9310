#include "core/NoDataDays.h"

#include "core/ErrorsList.h"
#include "core/WholeFile.h"

#include <QDir>
#include <QFile>

namespace pellmark {

namespace {

constexpr char kHeader[] =
    "# Days the quote service had no data for, one SYMBOL-d-mmm-yy a line.\r\n"
    "# pellmark-batch --heal does not ask for them again unless given --heal-again.\r\n";

QString FilePath(const QString& folder) {
    return QDir(folder).filePath(QString::fromLatin1(kNoDataDaysFileName));
}

} // namespace

std::vector<DayItem> ReadNoDataDays(const QString& folder) {
    QFile file(FilePath(folder));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray text = file.readAll();
    std::vector<DayItem> days;
    for (ListedItem& listed : ReadRetryList(text.toStdString(), ListReading::Cleaned))
        if (!listed.item.symbol.starts_with('#'))
            days.push_back(std::move(listed.item));
    return days;
}

Done WriteNoDataDays(const QString& folder, const std::vector<DayItem>& items) {
    return WriteWholeFile(FilePath(folder), kHeader + FailedItemLines(items));
}

} // namespace pellmark
