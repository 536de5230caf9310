#include "FileLock.h"

#include "core/FileBeside.h"
#include "StopSignals.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pellmark {

namespace {

// How often a wait for the lock looks whether a stop came meanwhile.
constexpr useconds_t kStopLookMicroseconds = 100'000;

// Never through a link, and never waiting on a FIFO: the name must hold a regular file.
constexpr int kOpenFlags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;

int OpenOrCreate(const QByteArray& path, bool& created) {
    for (;;) {
        const int fd = ::open(path.constData(), kOpenFlags);
        if (fd >= 0 || errno != ENOENT) {
            created = false;
            return fd;
        }
        const int made = ::open(path.constData(), kOpenFlags | O_CREAT | O_EXCL, 0666);
        if (made >= 0 || errno != EEXIST) {
            created = made >= 0;
            return made;
        }
    }
}

bool IsRegular(int fd) {
    struct stat status {};
    return ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
}

// Waits for the lock; false when a stop came first, or with the system's reason in errno.
bool LockHearingStops(int fd) {
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return true;
        if (errno != EWOULDBLOCK && errno != EINTR)
            return false;
        if (StopSignals::StopAsked().load()) {
            errno = ECANCELED;
            return false;
        }
        ::usleep(kStopLookMicroseconds);
    }
}

// A writer replaces the file by renaming a new one over it, so the lock taken may be on a
// file that is no longer at the path.
bool StillAtPath(int fd, const QByteArray& path) {
    struct stat held {};
    struct stat named {};
    return ::fstat(fd, &held) == 0 && ::lstat(path.constData(), &named) == 0 &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

} // namespace

FileLock::FileLock(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    for (;;) {
        const int fd = OpenOrCreate(name, created_);
        if (fd < 0 && errno == ELOOP) {
            error_ = QString::fromLatin1(kNotRegularForWriting);
            return;
        }
        if (fd < 0) {
            error_ = QString::fromLocal8Bit(std::strerror(errno));
            return;
        }
        if (!IsRegular(fd)) {
            error_ = QString::fromLatin1(kNotRegularForWriting);
            ::close(fd);
            return;
        }
        if (!LockHearingStops(fd)) {
            error_ = errno == ECANCELED ? QStringLiteral("stopped")
                                        : QString::fromLocal8Bit(std::strerror(errno));
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
