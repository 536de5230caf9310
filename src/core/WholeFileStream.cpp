#include "core/WholeFileStream.h"

#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace pellmark {
namespace {

// Few enough system calls for a report of hundreds of megabytes, little enough memory.
constexpr std::size_t kBufferBytes = 1 << 20;

// Qt 6.4 sometimes words a failed write as "Unknown error"; the errno of the failing call
// says what really happened.
Failure Reason(const QFileDevice& file, int savedErrno) {
    const QString qtReason = file.errorString();
    if (savedErrno != 0 && (qtReason.isEmpty() || qtReason == QLatin1String("Unknown error")))
        return {std::strerror(savedErrno)};
    return {qtReason.toStdString()};
}

} // namespace

WholeFileStream::WholeFileStream(const QString& path) : file_(path) {
    // The new file would take the name from a device or FIFO (as root, /dev/full itself).
    if (const QFileInfo existing(path);
        existing.exists() && !existing.isFile() && !existing.isDir()) {
        failure_ = Failure{"not a regular file"};
        return;
    }
    // Unbuffered, so that each write reaches the system at once and its failure is seen
    // here: in Qt 6.4 commit() misses a failed write of data it still held in its buffer.
    errno = 0;
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        failure_ = Reason(file_, errno);
}

void WholeFileStream::Write(std::string_view bytes) {
    if (failure_)
        return;
    if (buffer_.size() + bytes.size() < kBufferBytes) {
        buffer_.append(bytes);
        return;
    }
    // A large piece goes out as it is, after what was buffered, rather than copied first.
    Flush();
    WriteOut(bytes);
}

void WholeFileStream::Flush() {
    WriteOut(buffer_);
    buffer_.clear();
}

void WholeFileStream::WriteOut(std::string_view rest) {
    while (!rest.empty() && !failure_) {
        errno = 0;
        const qint64 written = file_.write(rest.data(), static_cast<qint64>(rest.size()));
        if (written <= 0)
            failure_ = Reason(file_, errno != 0 ? errno : ENOSPC);
        else
            rest.remove_prefix(static_cast<std::size_t>(written));
    }
}

Done WholeFileStream::Commit() {
    Flush();
    if (!failure_) {
        errno = 0;
        if (!file_.flush())
            failure_ = Reason(file_, errno);
    }
    // A full disk can also show first when the data is synced (delayed allocation, NFS).
    if (!failure_ && ::fdatasync(file_.handle()) != 0)
        failure_ = Failure{std::strerror(errno)};
    if (failure_) {
        // Cancelling rewords the reason as "Writing canceled by application", so it was
        // taken first.
        file_.cancelWriting();
        return *failure_;
    }
    errno = 0;
    if (!file_.commit())
        return Reason(file_, errno);
    return {};
}

} // namespace pellmark
