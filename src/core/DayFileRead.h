// Reads a day file whole, refusing anything a run never writes: a FIFO, a device, or a
// file too large to be one day's quotes, so that an odd entry in a save folder can neither
// hang the export nor fill the memory.
#pragma once

#include <QString>

#include <string>
#include <variant>

namespace pellmark {

// A day of five-second quotes is under 300 KB; this leaves room for any real page.
inline constexpr long long kMaxDayFileBytes = 16LL * 1024 * 1024;

// The file's bytes, or the reason it was not read ("not a regular file", "larger than
// 16 MB", or the system's reason). A link to a regular file is followed.
std::variant<std::string, QString> ReadDayFile(const QString& path);

} // namespace pellmark
