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

Failure SystemReason(int error) {
    return {std::strerror(error)};
}

Failure NotRegular() {
    return {"not a regular file"};
}

Failure TooLarge() {
    return {"larger than 16 MB"};
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

Result<std::string> ReadDayFile(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    // A device is never opened: opening one can wait for it or set it going.
    struct stat status {};
    if (::stat(name.constData(), &status) != 0)
        return SystemReason(errno);
    if (!S_ISREG(status.st_mode))
        return NotRegular();
    // Non-blocking, so that a FIFO put in its place meanwhile cannot hang the open; the
    // type is checked again on what was opened.
    const Descriptor file{::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY)};
    if (file.fd < 0)
        return SystemReason(errno);
    if (::fstat(file.fd, &status) != 0)
        return SystemReason(errno);
    if (!S_ISREG(status.st_mode))
        return NotRegular();
    if (status.st_size > kMaxDayFileBytes)
        return TooLarge();

    // One byte more than the limit tells a file that grew meanwhile from one that did not.
    std::string bytes(static_cast<std::size_t>(status.st_size) + 1, '\0');
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        const ssize_t got = ::read(file.fd, bytes.data() + filled, bytes.size() - filled);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return SystemReason(errno);
        if (got == 0)
            break;
        filled += static_cast<std::size_t>(got);
        if (filled > static_cast<std::size_t>(kMaxDayFileBytes))
            return TooLarge();
        if (filled == bytes.size())
            bytes.resize(
                std::min(bytes.size() * 2, static_cast<std::size_t>(kMaxDayFileBytes) + 1));
    }
    bytes.resize(filled);
    return bytes;
}

} // namespace pellmark
