// libFuzzer entry: the text of an errors or retry file through the reader pellmark-batch
// --retry and the window's errors list use, both as typed and cleaned. Items read as typed and
// written back as an errors file must read back to the same file. What an editor adds to each
// line, byte-order marks and spaces either side and a CR before the LF, leaves the cleaned
// items as they were, on the same lines; as typed, a line followed by spaces or a mark is no
// item; a NUL after a line that is an item changes that item, so that a retry keeps it rather
// than fetch the day it seemed to name.
#include "core/ErrorsList.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

// Each line of text (which holds no CR) given `before` and `after`.
std::string EachLine(std::string_view text, std::string_view before, std::string_view after) {
    std::string out(before);
    for (const char c : text)
        out += c == '\n' ? std::string(after) + '\n' + std::string(before) : std::string(1, c);
    return out + std::string(after);
}

std::string Written(const std::vector<pellmark::ListedItem>& listed) {
    std::vector<pellmark::DayItem> items;
    for (const pellmark::ListedItem& one : listed)
        items.push_back(one.item);
    return pellmark::FailedItemLines(items);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using pellmark::ListReading;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    pellmark::ReadRetryList(text, ListReading::Cleaned);
    const std::string written = Written(pellmark::ReadRetryList(text, ListReading::AsTyped));
    if (Written(pellmark::ReadRetryList(written, ListReading::AsTyped)) != written)
        __builtin_trap();
    if (text.find('\r') != std::string_view::npos)
        return 0;
    const auto cleaned = pellmark::ReadRetryList(text, ListReading::Cleaned);
    const std::string edited = EachLine(text, " \xEF\xBB\xBF ", " \xEF\xBB\xBF \r");
    if (pellmark::ReadRetryList(edited, ListReading::Cleaned) != cleaned)
        __builtin_trap();
    // As typed, a list ends at a NUL.
    if (text.find('\0') == std::string_view::npos &&
        !pellmark::ReadRetryList(EachLine(text, "", " \xEF\xBB\xBF \r"), ListReading::AsTyped)
             .empty())
        __builtin_trap();
    const auto withNul =
        pellmark::ReadRetryList(EachLine(text, "", std::string(1, '\0')), ListReading::Cleaned);
    for (const pellmark::ListedItem& listed : cleaned)
        if (std::find(withNul.begin(), withNul.end(), listed) != withNul.end())
            __builtin_trap();
    return 0;
}
