// libFuzzer entry: the text of an errors or retry file through the reader pellmark-batch
// --retry and the window's errors list use, both as typed and cleaned. Items read as typed
// and written back as an errors file must read back to the same file.
#include "core/ErrorsList.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

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
    return 0;
}
