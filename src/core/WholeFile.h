// One checked whole-file write for every file the programs write (day files, errors files,
// CSVs, reports): the new content replaces the old only once every byte is on the disk.
#pragma once

#include "core/Result.h"

#include <QString>

#include <string_view>

namespace pellmark {

// Writes bytes to path as a whole: each write, the flush, the sync and the final rename are
// checked. On any failure the old file (if any) is left as it was, and the reason is the
// system's ("No space left on device").
Done WriteWholeFile(const QString& path, std::string_view bytes);

} // namespace pellmark
