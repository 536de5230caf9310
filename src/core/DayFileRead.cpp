#include "core/DayFileRead.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pellmark {
namespace {

QString SystemReason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// Closes the descriptor on every way out.
struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0)
            ::close(fd);
    }
};

} // namespace

std::variant<std::string, QString> ReadDayFile(const QString& path) {
    // Non-blocking, so that opening a FIFO with no writer returns at once; the type is
    // checked on what was opened, not on the name, which may change in between.
    const Descriptor file{
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY)};
    if (file.fd < 0)
        return "cannot read: " + SystemReason(errno);
    struct stat status {};
    if (::fstat(file.fd, &status) != 0)
        return "cannot read: " + SystemReason(errno);
    if (!S_ISREG(status.st_mode))
        return QStringLiteral("not a regular file");
    if (status.st_size > kMaxDayFileBytes)
        return QStringLiteral("larger than 16 MB, too large for a day file");

    // One byte more than the limit tells a file that grew meanwhile from one that did not.
    std::string bytes(static_cast<std::size_t>(status.st_size) + 1, '\0');
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        const ssize_t got = ::read(file.fd, bytes.data() + filled, bytes.size() - filled);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return "cannot read: " + SystemReason(errno);
        if (got == 0)
            break;
        filled += static_cast<std::size_t>(got);
        if (filled > static_cast<std::size_t>(kMaxDayFileBytes))
            return QStringLiteral("larger than 16 MB, too large for a day file");
        if (filled == bytes.size())
            bytes.resize(
                std::min(bytes.size() * 2, static_cast<std::size_t>(kMaxDayFileBytes) + 1));
    }
    bytes.resize(filled);
    return bytes;
}

} // namespace pellmark
