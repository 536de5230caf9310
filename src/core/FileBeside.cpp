#include "core/FileBeside.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace pellmark {

namespace {

// The regular file at path, or none; a failure when something else is there. lstat: the entry
// itself, never what a link leads to.
Result<std::optional<struct stat>> Replaced(const QString& path) {
    struct stat old {};
    if (::lstat(QFile::encodeName(path).constData(), &old) != 0)
        return std::optional<struct stat>{};
    if (!S_ISREG(old.st_mode))
        return Failure{kNotRegularForWriting};
    return std::optional<struct stat>{old};
}

QByteArray RandomSuffix() {
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QByteArray suffix(6, 'a');
    for (char& c : suffix)
        c = kLetters[QRandomGenerator::global()->bounded(62)];
    return suffix;
}

} // namespace

Result<int> CreateUnnamedBeside(const QString& path, QByteArray& temporary) {
    const Result<std::optional<struct stat>> old = Replaced(path);
    if (!old)
        return Failure{old.reason()};
    const QByteArray folder = QFile::encodeName(QFileInfo(path).dir().path());
    const int fd = ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0)
        return CreateTemporaryBeside(path, temporary);
    temporary.clear();
    if (*old)
        ::fchmod(fd, (*old)->st_mode & 07777);
    else {
        // O_TMPFILE takes the mode as given; a named file would have had the umask applied.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
    return fd;
}

Done NameUnnamed(int fd, const QString& path) {
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
    const QByteArray name = QFile::encodeName(path);
    if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, name.constData(), AT_SYMLINK_FOLLOW) == 0)
        return {};
    if (errno != EEXIST)
        return Failure{std::strerror(errno)};
    for (;;) {
        const QByteArray temporary = name + '.' + RandomSuffix();
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, temporary.constData(),
                     AT_SYMLINK_FOLLOW) != 0) {
            if (errno == EEXIST)
                continue;
            return Failure{std::strerror(errno)};
        }
        if (::rename(temporary.constData(), name.constData()) == 0)
            return {};
        const int error = errno;
        ::unlink(temporary.constData());
        return Failure{std::strerror(error)};
    }
}

Result<int> CreateTemporaryBeside(const QString& path, QByteArray& temporary) {
    const Result<std::optional<struct stat>> old = Replaced(path);
    if (!old)
        return Failure{old.reason()};
    const bool replaces = old->has_value();
    const QFileInfo info(path);
    const QByteArray stem = QFile::encodeName(info.dir().filePath('.' + info.fileName()));
    for (;;) {
        temporary = stem + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 36);
        const int fd = ::open(temporary.constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0)
            return Failure{std::strerror(errno)};
        if (replaces)
            ::fchmod(fd, (*old)->st_mode & 07777);
        return fd;
    }
}

} // namespace pellmark
