#include "core/NoDataDays.h"

#include "core/ErrorsList.h"
#include "core/WholeFile.h"

#include <QDir>
#include <QFileInfo>

namespace pellmark {

namespace {

constexpr char kHeader[] =
    "# Days the quote service had no data for, one SYMBOL-d-mmm-yy a line.\r\n"
    "# pellmark-batch --heal does not ask for them again unless given --heal-again.\r\n";

QString FilePath(const QString& folder) {
    return QDir(folder).filePath(QString::fromLatin1(kNoDataDaysFileName));
}

} // namespace

Result<std::vector<DayItem>> ReadNoDataDays(const QString& folder) {
    const QString path = FilePath(folder);
    const Result<std::string> text = ReadWholeFile(path, {.followLink = false});
    if (!text && !QFileInfo(path).exists() && !QFileInfo(path).isSymLink())
        return std::vector<DayItem>{};
    if (!text)
        return Failure{text.reason()};
    std::vector<DayItem> days;
    for (ListedItem& listed : ReadRetryList(*text, ListReading::Cleaned))
        if (!listed.item.symbol.starts_with('#'))
            days.push_back(std::move(listed.item));
    return days;
}

Done WriteNoDataDays(const QString& folder, const std::vector<DayItem>& items) {
    return WriteWholeFile(FilePath(folder), kHeader + FailedItemLines(items));
}

} // namespace pellmark
