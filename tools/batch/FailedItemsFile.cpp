#include "FailedItemsFile.h"

#include "core/ErrorsList.h"
#include "core/TextLines.h"
#include "core/WholeFile.h"
#include "FileLock.h"

#include <QFile>

#include <algorithm>
#include <optional>
#include <string>

namespace pellmark {

namespace {

std::optional<std::string> ReadAll(const QString& path, QString& error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        error = file.errorString();
        return std::nullopt;
    }
    return bytes.toStdString();
}

// Under the lock: what the file holds now goes through change, and the result replaces it
// whole. A file the lock had to create is removed again when the write fails.
template <typename Change> bool ReplaceLocked(const QString& path, QString& error, Change change) {
    const FileLock lock(path);
    if (!lock.Locked()) {
        error = lock.Error();
        return false;
    }
    const std::optional<std::string> old = ReadAll(path, error);
    if (!old)
        return false;
    if (const auto reason = WriteWholeFile(path, change(*old))) {
        if (lock.Created())
            QFile::remove(path);
        error = QString::fromStdString(*reason);
        return false;
    }
    return true;
}

} // namespace

bool AppendFailedItems(const QString& path, const std::vector<DayItem>& items, QString& error) {
    if (items.empty())
        return true;
    return ReplaceLocked(path, error,
                         [&](std::string text) { return AppendedToFile(std::move(text), items); });
}

bool RewriteFailedItems(const QString& path, std::size_t linesRead,
                        const std::vector<DayItem>& items, QString& error) {
    return ReplaceLocked(path, error, [&](const std::string& now) {
        std::string text = FailedItemLines(items);
        std::vector<std::string> listed;
        for (const DayItem& item : items)
            listed.push_back(FailedItemText(item));
        // A run that appends to the retry file itself would list its items twice.
        const Lines lines = SplitLines(now);
        for (std::size_t i = linesRead; i < lines.size(); ++i) {
            const auto same = std::find(listed.begin(), listed.end(), lines[i]);
            if (same != listed.end())
                listed.erase(same);
            else
                text += lines[i] + "\r\n";
        }
        return text;
    });
}

} // namespace pellmark
