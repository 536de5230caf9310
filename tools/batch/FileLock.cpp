#include "FileLock.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pellmark {

namespace {

int OpenOrCreate(const QByteArray& path, bool& created) {
    for (;;) {
        const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
        if (fd >= 0 || errno != ENOENT) {
            created = false;
            return fd;
        }
        const int made = ::open(path.constData(), O_RDONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (made >= 0 || errno != EEXIST) {
            created = made >= 0;
            return made;
        }
    }
}

// A writer replaces the file by renaming a new one over it, so the lock taken may be on a
// file that is no longer at the path.
bool StillAtPath(int fd, const QByteArray& path) {
    struct stat held {};
    struct stat named {};
    return ::fstat(fd, &held) == 0 && ::stat(path.constData(), &named) == 0 &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

} // namespace

FileLock::FileLock(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    for (;;) {
        const int fd = OpenOrCreate(name, created_);
        if (fd < 0) {
            error_ = QString::fromLocal8Bit(std::strerror(errno));
            return;
        }
        int locked;
        while ((locked = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
        }
        if (locked != 0) {
            error_ = QString::fromLocal8Bit(std::strerror(errno));
            ::close(fd);
            return;
        }
        if (StillAtPath(fd, name)) {
            fd_ = fd;
            return;
        }
        ::close(fd);
    }
}

FileLock::~FileLock() {
    if (fd_ >= 0)
        ::close(fd_);
}

} // namespace pellmark
