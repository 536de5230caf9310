// libFuzzer entry: raw response bytes through the body serialiser and the page parser,
// as the fetch hands them on. The first byte picks the line order, the declared charset
// and the separator, so those paths are explored too.
#include "page/BodySerialiser.h"
#include "page/IntradayParser.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    static constexpr std::array<std::string_view, 4> kContentTypes = {
        "", "text/html; charset=utf-8", "text/html; charset=utf-16", "text/html; charset=koi8-r"};
    static constexpr std::array<std::string_view, 4> kSeparators = {" - ", "", ";", "\r\n"};
    const std::uint8_t options = data[0];
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    const auto order =
        (options & 1) ? pellmark::LineOrder::PriceFirst : pellmark::LineOrder::TimeFirst;

    const std::string body = pellmark::SerialiseBody(bytes, kContentTypes[(options >> 1) & 3]);
    const auto lines = pellmark::ParseIntradayPage(body, order, kSeparators[(options >> 3) & 3]);
    pellmark::CountPageLines(body);
    // Raw bytes straight into the parser too: it must cope with anything, not only HTML.
    const auto raw = pellmark::ParseIntradayPage(bytes, order, kSeparators[(options >> 3) & 3]);
    if (lines.empty() || raw.empty())
        __builtin_trap();
    return 0;
}
