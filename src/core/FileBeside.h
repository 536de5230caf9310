// Where every whole-file write starts: the name is checked to be a regular file (or free), and a
// hidden temporary is made beside it to be renamed over it once whole. A rename replaces the
// name itself, so a write can never reach what a link at that name points to.
#pragma once

#include "core/Result.h"

#include <QByteArray>
#include <QString>

namespace pellmark {

// Why a write refuses to replace what is at the name: a link, a FIFO, a device, a socket or
// a folder, which is left as it is.
inline constexpr char kNotRegularForWriting[] = "not a regular file";

// A new hidden file ".NAME.XXXXXX" beside path, opened for writing, its name in temporary. It
// has the permissions of the regular file it will replace, or those a new file gets (the umask
// applies). Refused when path names anything but a regular file.
Result<int> CreateTemporaryBeside(const QString& path, QByteArray& temporary);

// The same, but without a name while it is written (O_TMPFILE), so that a process killed
// meanwhile leaves nothing behind: temporary stays empty. Where the file system cannot make
// one, a named one as above.
Result<int> CreateUnnamedBeside(const QString& path, QByteArray& temporary);

// Gives the written file fd (from CreateUnnamedBeside, synced, still open) the name path:
// linked there when the name is free, else linked under "NAME.XXXXXX" beside it and renamed
// over it. Neither call follows a link at path; a kill between them leaves that complete file.
Done NameUnnamed(int fd, const QString& path);

} // namespace pellmark
