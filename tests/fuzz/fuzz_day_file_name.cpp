// libFuzzer entry: a file name, as a folder listing gives it, through the day-file name
// parser. A name read as a day file must be the very name a run gives that symbol and day.
#include "core/DateList.h"
#include "core/DayFileName.h"

#include <QString>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString name =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (const auto parsed = pellmark::ParseDayFileName(name)) {
        const QString again = parsed->symbol + u'-' +
                              QString::fromStdString(pellmark::DateLabel(parsed->day)) +
                              pellmark::kDayFileSuffix.toString();
        if (parsed->symbol.isEmpty() || again != name || parsed->day.year() < 1970 ||
            parsed->day.year() > 2069)
            __builtin_trap();
    }
    return 0;
}
