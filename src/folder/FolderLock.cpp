#include "folder/FolderLock.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace pellmark {

std::string FolderBusyReason(const std::string& folder) {
    return folder + " is being updated by another run: nothing fetched";
}

FolderLock::FolderLock(const QString& folder) {
    fd_ = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0)
        return;
    int locked;
    while ((locked = ::flock(fd_, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
    }
    // A file system without locks (some network ones) runs unguarded, as before.
    busy_ = locked != 0 && errno == EWOULDBLOCK;
}

FolderLock::~FolderLock() {
    if (fd_ >= 0)
        ::close(fd_);
}

} // namespace pellmark
