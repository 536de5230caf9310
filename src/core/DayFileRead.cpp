#include "core/DayFileRead.h"

#include "core/WholeFile.h"

namespace pellmark {

Result<std::string> ReadDayFile(const QString& path) {
    return ReadWholeFile(path, {.maxBytes = kMaxDayFileBytes});
}

} // namespace pellmark
