#include "FailedItemsFile.h"

#include "core/FailedItems.h"

#include <QFile>
#include <QSaveFile>

namespace pellmark {

namespace {

// The last character is all that decides how the next item is added.
std::string LastCharacter(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() == 0 || !file.seek(file.size() - 1))
        return {};
    return file.read(1).toStdString();
}

bool Write(QFileDevice& file, const std::string& text) {
    return file.write(text.data(), static_cast<qint64>(text.size())) ==
           static_cast<qint64>(text.size());
}

} // namespace

bool AppendFailedItems(const QString& path, const std::vector<DayItem>& items, QString& error) {
    if (items.empty())
        return true;
    std::string added;
    const std::string last = LastCharacter(path);
    for (const DayItem& item : items)
        added += AppendedFailedItemText(added.empty() ? last : added, item);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append) || !Write(file, added) ||
        !file.flush()) {
        error = file.errorString();
        return false;
    }
    return true;
}

bool RewriteFailedItems(const QString& path, const std::vector<DayItem>& items, QString& error) {
    std::string text;
    for (const DayItem& item : items)
        text += FailedItemText(item) + "\r\n";
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !Write(file, text) || !file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}

} // namespace pellmark
