#include "core/WholeFiles.h"

#include "core/FileBeside.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace pellmark {
namespace {

std::string SystemReason(int error) {
    return std::strerror(error);
}

Failure SystemFailure(int error) {
    return {SystemReason(error)};
}

// Every byte, or the errno of the write that failed; a short write is taken up again.
int WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            return errno;
        if (written == 0)
            return ENOSPC;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

} // namespace

WholeFiles::WholeFiles(QString folder) : folder_(std::move(folder)) {}

WholeFiles::~WholeFiles() {
    RemoveTemporaries();
}

void WholeFiles::RemoveTemporaries() {
    for (const Pending& pending : pending_)
        ::unlink(pending.temporary.constData());
    pending_.clear();
}

Done WholeFiles::Add(const QString& name, std::string_view bytes) {
    Pending pending{QDir(folder_).filePath(name), {}};
    const Result<int> created = CreateTemporaryBeside(pending.path, pending.temporary);
    if (!created)
        return Failure{created.reason()};
    const int fd = *created;
    int error = WriteAll(fd, bytes);
    // A full disk can show first when the file is closed (NFS).
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error != 0) {
        ::unlink(pending.temporary.constData());
        return SystemFailure(error);
    }
    pending_.push_back(std::move(pending));
    return {};
}

WholeFiles::Outcome WholeFiles::Commit() {
    Outcome outcome;
    if (pending_.empty())
        return outcome;
    const int folder =
        ::open(QFile::encodeName(folder_).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    // One sync for every file: once it succeeds, no rename can put a cut file in place.
    if (folder < 0 || ::syncfs(folder) != 0) {
        const std::string reason = SystemReason(errno);
        for (const Pending& pending : pending_)
            outcome.unwritten.push_back({pending.path, reason});
        RemoveTemporaries();
        if (folder >= 0)
            ::close(folder);
        return outcome;
    }
    for (const Pending& pending : pending_) {
        if (::rename(pending.temporary.constData(), QFile::encodeName(pending.path).constData()) ==
            0) {
            outcome.written.append(pending.path);
        } else {
            outcome.unwritten.push_back({pending.path, SystemReason(errno)});
            ::unlink(pending.temporary.constData());
        }
    }
    pending_.clear();
    // The new names themselves reach the disk.
    if (::fsync(folder) != 0)
        outcome.unwritten.push_back({folder_, SystemReason(errno)});
    ::close(folder);
    return outcome;
}

} // namespace pellmark
