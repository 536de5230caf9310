// One checked whole-file write for every file the programs write (day files, errors files,
// retry lists): the new content takes the name only once every byte is on the disk, and never
// through a link (FileBeside.h). And its counterpart for every file the programs read whole (a
// day file, a retry or symbols file, the folder's record): bounded, and never hung by a FIFO.
#pragma once

#include "core/Result.h"

#include <QString>

#include <atomic>
#include <string>
#include <string_view>

namespace pellmark {

// Writes bytes to path as a whole: each write, the sync and the final rename are checked. On
// any failure the old file (if any) is left as it was, and the reason is the system's ("No
// space left on device"), or kNotRegularForWriting when a link, FIFO or device is at path.
Done WriteWholeFile(const QString& path, std::string_view bytes);

// A list a person keeps (symbols, a retry list, the folder's record) is a few megabytes at
// most even for decades of days.
inline constexpr long long kMaxListFileBytes = 16LL * 1024 * 1024;

struct ReadBounds {
    long long maxBytes = kMaxListFileBytes;
    // When set, a FIFO or pipe is read too (a list from another program, `--symbols-file
    // <(...)`), to its end or until *stop turns true; otherwise it is refused unopened.
    const std::atomic<bool>* fifoStop = nullptr;
    // A file the programs keep themselves (the folder's record) is read only where it is: a
    // link there is "not a regular file" too.
    bool followLink = true;
};

// The file's bytes, or the reason it was not read, worded to follow "cannot read FILE: ":
// "not a regular file" (a FIFO, a device, a folder), "larger than 16 MB" (also when it grows
// past the bound while read), "stopped" (a FIFO read cut by a stop), or the system's reason
// ("Permission denied"). A link is followed unless bounds say not; what it leads to must be a
// regular file. The
// open never waits, so neither a FIFO nor a device can hang the caller.
Result<std::string> ReadWholeFile(const QString& path, ReadBounds bounds = {});

} // namespace pellmark
