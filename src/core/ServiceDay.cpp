#include "core/ServiceDay.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>

namespace pellmark {

namespace {

bool SavedWhileRunning(const QString& path, QDate day) {
    const QDateTime written = QFileInfo(path).lastModified();
    // A time before the day began is no save of it (a tool that zeroes the times, say).
    return written.isValid() && written >= QDateTime(day, QTime(0, 0), Qt::UTC) &&
           written < QDateTime(day.addDays(1), QTime(0, 0), Qt::UTC);
}

} // namespace

bool DayIsRunning(const QString& path, QDate day, QDate today) {
    return day == today || (!path.isEmpty() && SavedWhileRunning(path, day));
}

ServiceClock ServiceClock::Machine() {
    return ServiceClock(&QDateTime::currentDateTimeUtc);
}

ServiceClock ServiceClock::At(const QDateTime& now) {
    return ServiceClock([now] { return now; });
}

ServiceClock::ServiceClock(Source now) : now_(std::move(now)), today_(now_().toUTC().date()) {}

bool ServiceClock::Running(QDate day, const QString& savedFile) const {
    return DayIsRunning(savedFile, day, today_);
}

void ServiceClock::DateSaved(const QString& path) const {
    const qint64 ms = Now().toMSecsSinceEpoch();
    const timespec time{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000};
    const timespec times[2] = {time, time};
    ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, AT_SYMLINK_NOFOLLOW);
}

} // namespace pellmark
