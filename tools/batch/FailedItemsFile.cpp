#include "FailedItemsFile.h"

#include "core/ErrorsList.h"
#include "core/TextLines.h"
#include "core/WholeFile.h"
#include "FileLock.h"

#include <QFile>

#include <algorithm>
#include <string>

namespace pellmark {

namespace {

// Under the lock: what the file holds now goes through change, and the result replaces it
// whole. A file the lock had to create is removed again when the write fails.
template <typename Change> Done ReplaceLocked(const QString& path, Change change) {
    const FileLock lock(path);
    if (!lock.Locked())
        return Failure{lock.Error().toStdString()};
    const Result<std::string> old = ReadWholeFile(path);
    if (!old)
        return Failure{old.reason()};
    Done written = WriteWholeFile(path, change(*old));
    if (!written && lock.Created())
        QFile::remove(path);
    return written;
}

} // namespace

Done AppendFailedItems(const QString& path, const std::vector<DayItem>& items) {
    if (items.empty())
        return {};
    return ReplaceLocked(path,
                         [&](std::string text) { return AppendedToFile(std::move(text), items); });
}

Done RewriteFailedItems(const QString& path, std::size_t linesRead,
                        const std::vector<DayItem>& items,
                        const std::vector<std::string>& keptLines) {
    return ReplaceLocked(path, [&](const std::string& now) {
        std::string text;
        for (const std::string& line : keptLines)
            text += line + "\r\n";
        text += FailedItemLines(items);
        std::vector<std::string> listed;
        for (const DayItem& item : items)
            listed.push_back(FailedItemText(item));
        // A run that appends to the retry file itself would list its items twice.
        const Lines lines = SplitFileLines(now);
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
