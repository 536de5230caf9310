// libFuzzer entry: the text of an errors or retry file through the reader pellmark-batch
// --retry and the window's errors list use, both as typed and cleaned. Items read as typed
// and written back as an errors file must read back the same.
#include "core/ErrorsList.h"
#include "core/FailedItems.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

bool SameItems(const std::vector<pellmark::ListedItem>& a,
               const std::vector<pellmark::ListedItem>& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].item.symbol != b[i].item.symbol || a[i].item.dateLabel != b[i].item.dateLabel)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using pellmark::ListReading;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    pellmark::ReadRetryList(text, ListReading::Cleaned);
    const auto typed = pellmark::ReadRetryList(text, ListReading::AsTyped);
    std::vector<pellmark::DayItem> items;
    for (const pellmark::ListedItem& listed : typed)
        items.push_back(listed.item);
    const std::string written = pellmark::FailedItemLines(items);
    if (!SameItems(pellmark::ReadRetryList(written, ListReading::AsTyped), typed))
        __builtin_trap();
    return 0;
}
