#include "core/WholeFile.h"

#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace pellmark {

namespace {

// Qt 6.4 sometimes words a failed write as "Unknown error"; the errno of the failing call
// says what really happened.
Failure Reason(const QFileDevice& file, int savedErrno) {
    const QString qtReason = file.errorString();
    if (savedErrno != 0 && (qtReason.isEmpty() || qtReason == QLatin1String("Unknown error")))
        return {std::strerror(savedErrno)};
    return {qtReason.toStdString()};
}

// The reason is taken first: cancelling rewords it as "Writing canceled by application".
Failure Cancel(QSaveFile& file, int savedErrno) {
    Failure reason = Reason(file, savedErrno);
    file.cancelWriting();
    return reason;
}

} // namespace

Done WriteWholeFile(const QString& path, std::string_view bytes) {
    // Unbuffered, so that each write reaches the system at once and its failure is seen
    // here: in Qt 6.4 commit() misses a failed write of data it still held in its buffer.
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return Reason(file, errno);
    std::string_view rest = bytes;
    while (!rest.empty()) {
        errno = 0;
        const qint64 written = file.write(rest.data(), static_cast<qint64>(rest.size()));
        if (written <= 0)
            return Cancel(file, errno != 0 ? errno : ENOSPC);
        rest.remove_prefix(static_cast<std::size_t>(written));
    }
    errno = 0;
    if (!file.flush())
        return Cancel(file, errno);
    // A full disk can also show first when the data is synced (delayed allocation, NFS).
    if (::fdatasync(file.handle()) != 0) {
        const int syncErrno = errno;
        file.cancelWriting();
        return Failure{std::strerror(syncErrno)};
    }
    errno = 0;
    if (!file.commit())
        return Reason(file, errno);
    return {};
}

} // namespace pellmark
