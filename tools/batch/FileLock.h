// An exclusive lock on a file that several runs share (an errors file), held for the life of
// the object; the lock follows the file when another run has replaced it whole meanwhile.
#pragma once

#include <QString>

namespace pellmark {

class FileLock {
public:
    // Waits for the lock, or until a stop signal comes; creates the file, empty, when it is
    // missing. A link, FIFO or device at the name is refused, never opened through.
    explicit FileLock(const QString& path);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool Locked() const { return fd_ >= 0; }
    // Why the file could not be locked.
    QString Error() const { return error_; }
    // The file did not exist before; a failed first write removes it again.
    bool Created() const { return created_; }

private:
    int fd_ = -1;
    QString error_;
    bool created_ = false;
};

} // namespace pellmark
