#include "core/FileBeside.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pellmark {

Result<int> CreateTemporaryBeside(const QString& path, QByteArray& temporary) {
    // lstat: the entry itself, never what a link leads to.
    struct stat old {};
    const bool replaces = ::lstat(QFile::encodeName(path).constData(), &old) == 0;
    if (replaces && !S_ISREG(old.st_mode))
        return Failure{kNotRegularForWriting};
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
            ::fchmod(fd, old.st_mode & 07777);
        return fd;
    }
}

} // namespace pellmark
