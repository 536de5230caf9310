// The checked whole-file write of WholeFile.h for content made piece by piece, such as a
// report too large to hold in memory: the pieces go to a temporary file beside the name, and
// the new content takes the name only once every byte is on the disk. A link, FIFO or device
// at the name is refused and left as it is (FileBeside.h).
#pragma once

#include "core/Result.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <string>
#include <string_view>

namespace pellmark {

class WholeFileStream {
public:
    // Opens the temporary file; a failure shows in Commit().
    explicit WholeFileStream(const QString& path);
    // Without a commit, the temporary file is removed and the old file kept.
    ~WholeFileStream();
    WholeFileStream(const WholeFileStream&) = delete;
    WholeFileStream& operator=(const WholeFileStream&) = delete;

    // After the first failure the rest is dropped: the file will not be replaced anyway.
    void Write(std::string_view bytes);

    // Writes what is buffered, syncs and renames. On a failure the old file (if any) is left
    // as it was, and the reason is the system's for the first failure ("No space left on
    // device"), or kNotRegularForWriting. Once only.
    Done Commit();

private:
    void Flush();
    void WriteOut(std::string_view bytes);
    void Discard();

    QString path_;
    QByteArray temporary_;
    int fd_ = -1;
    std::string buffer_;
    std::optional<Failure> failure_;
};

} // namespace pellmark
