// Reads a day file whole, refusing anything a run never writes: a FIFO, a device, a folder, or
// a file too large to be one day's quotes, so that an odd entry in a save folder can neither
// hang a program that reads it nor fill the memory. The one reader of day files for
// pellmark-export, pellmark-check and --update; ReadWholeFile with the day file's bound.
#pragma once

#include "core/Result.h"

#include <QString>

#include <string>

namespace pellmark {

// A day of five-second quotes is under 300 KB; this leaves room for any real page.
inline constexpr long long kMaxDayFileBytes = 16LL * 1024 * 1024;

// The file's bytes, or the reason it was not read, worded to follow "unreadable: ":
// "not a regular file", "larger than 16 MB" (also when the file grows past it while it is
// read), or the system's reason ("Permission denied"). A link is followed; what it leads to
// must be a regular file.
Result<std::string> ReadDayFile(const QString& path);

} // namespace pellmark
