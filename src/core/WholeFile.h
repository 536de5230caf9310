// One checked whole-file write for every file the programs write (day files, errors files,
// retry lists): the new content replaces the old only once every byte is on the disk. And its
// counterpart for the small text files the programs read whole (a retry or symbols file).
#pragma once

#include "core/Result.h"

#include <QString>

#include <string>
#include <string_view>

namespace pellmark {

// Writes bytes to path as a whole: each write, the flush, the sync and the final rename are
// checked. On any failure the old file (if any) is left as it was, and the reason is the
// system's ("No space left on device").
Done WriteWholeFile(const QString& path, std::string_view bytes);

// The file's bytes, or the system's reason it could not be read. A FIFO is read to its end,
// so that a list can come from another program (--symbols-file <(...)).
Result<std::string> ReadWholeFile(const QString& path);

} // namespace pellmark
