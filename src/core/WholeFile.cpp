#include "core/WholeFile.h"

#include "core/WholeFileStream.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pellmark {
namespace {

// How often a FIFO read looks whether a stop came meanwhile.
constexpr int kStopLookMs = 100;

Failure SystemReason(int error) {
    return {std::strerror(error)};
}

Failure NotRegular() {
    return {"not a regular file"};
}

Failure TooLarge(long long maxBytes) {
    return {"larger than " + std::to_string(maxBytes / (1024 * 1024)) + " MB"};
}

// Closes the descriptor on every way out.
struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0)
            ::close(fd);
    }
};

bool Readable(const struct stat& status, const ReadBounds& bounds) {
    return S_ISREG(status.st_mode) || (bounds.fifoStop && S_ISFIFO(status.st_mode));
}

// Waits until fd has bytes or its writer is gone; false when a stop came first.
bool WaitForBytes(int fd, const std::atomic<bool>& stop) {
    for (;;) {
        if (stop.load())
            return false;
        pollfd wanted{fd, POLLIN, 0};
        if (::poll(&wanted, 1, kStopLookMs) > 0)
            return true;
    }
}

} // namespace

Done WriteWholeFile(const QString& path, std::string_view bytes) {
    WholeFileStream file(path);
    file.Write(bytes);
    return file.Commit();
}

Result<std::string> ReadWholeFile(const QString& path, ReadBounds bounds) {
    const QByteArray name = QFile::encodeName(path);
    // A device is never opened: opening one can wait for it or set it going.
    struct stat status {};
    if ((bounds.followLink ? ::stat : ::lstat)(name.constData(), &status) != 0)
        return SystemReason(errno);
    if (!Readable(status, bounds))
        return NotRegular();
    // Non-blocking, so that a FIFO put in its place meanwhile cannot hang the open; the
    // type is checked again on what was opened.
    const Descriptor file{::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY |
                                                       (bounds.followLink ? 0 : O_NOFOLLOW))};
    if (file.fd < 0 && errno == ELOOP)
        return NotRegular();
    if (file.fd < 0)
        return SystemReason(errno);
    if (::fstat(file.fd, &status) != 0)
        return SystemReason(errno);
    if (!Readable(status, bounds))
        return NotRegular();
    const bool fifo = S_ISFIFO(status.st_mode);
    if (status.st_size > bounds.maxBytes)
        return TooLarge(bounds.maxBytes);

    // One byte more than the bound tells a file that grew meanwhile from one that did not.
    const auto most = static_cast<std::size_t>(bounds.maxBytes);
    std::string bytes(fifo ? 4096 : static_cast<std::size_t>(status.st_size) + 1, '\0');
    std::size_t filled = 0;
    for (;;) {
        if (fifo && !WaitForBytes(file.fd, *bounds.fifoStop))
            return Failure{"stopped"};
        const ssize_t got = ::read(file.fd, bytes.data() + filled, bytes.size() - filled);
        if (got < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (got < 0)
            return SystemReason(errno);
        if (got == 0)
            break;
        filled += static_cast<std::size_t>(got);
        if (filled > most)
            return TooLarge(bounds.maxBytes);
        if (filled == bytes.size())
            bytes.resize(std::min(bytes.size() * 2, most + 1));
    }
    bytes.resize(filled);
    return bytes;
}

} // namespace pellmark
