#include "core/WholeFileStream.h"

#include "core/FileBeside.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace pellmark {
namespace {

// Few enough system calls for a report of hundreds of megabytes, little enough memory.
constexpr std::size_t kBufferBytes = 1 << 20;

Failure SystemFailure(int error) {
    return {std::strerror(error)};
}

} // namespace

WholeFileStream::WholeFileStream(const QString& path) : path_(path) {
    Result<int> created = CreateUnnamedBeside(path, temporary_);
    if (created)
        fd_ = *created;
    else
        failure_ = Failure{created.reason()};
}

WholeFileStream::~WholeFileStream() {
    Discard();
}

void WholeFileStream::Discard() {
    if (fd_ < 0)
        return;
    ::close(fd_);
    if (!temporary_.isEmpty())
        ::unlink(temporary_.constData());
    fd_ = -1;
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
        const ssize_t written = ::write(fd_, rest.data(), rest.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            failure_ = SystemFailure(written < 0 ? errno : ENOSPC);
        else
            rest.remove_prefix(static_cast<std::size_t>(written));
    }
}

Done WholeFileStream::Commit() {
    Flush();
    // A full disk can also show first when the data is synced (delayed allocation, NFS).
    if (!failure_ && ::fdatasync(fd_) != 0)
        failure_ = SystemFailure(errno);
    // Linking and renaming replace the name itself: whatever a link there led to stays
    // untouched.
    if (!failure_ && temporary_.isEmpty()) {
        if (Done named = NameUnnamed(fd_, path_); !named)
            failure_ = Failure{named.reason()};
    } else if (!failure_) {
        const int closed = ::close(fd_);
        fd_ = -1;
        if (closed != 0)
            failure_ = SystemFailure(errno);
        else if (::rename(temporary_.constData(), QFile::encodeName(path_).constData()) != 0)
            failure_ = SystemFailure(errno);
        if (failure_)
            ::unlink(temporary_.constData());
    }
    Discard();
    if (failure_)
        return *failure_;
    return {};
}

} // namespace pellmark
