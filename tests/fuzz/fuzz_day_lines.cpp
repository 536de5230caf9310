// libFuzzer entry: a day file's text through the line reader of pellmark-export and
// pellmark-check. The first byte picks the line order and the separator's length (up to three
// bytes, taken next), so both layouts and any separator are explored. A line read as a quote
// must be exactly its time, the separator and its price, and a layout guessed for a line must
// read it. What an editor may add is never read as part of a quote: a quote line with a
// byte-order mark before it, or a space or NUL after it, is not a quote line (it is reported),
// and a CR before each LF leaves every line as it was.
#include "core/QuoteLine.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::uint8_t options = data[0];
    const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const auto order =
        (options & 1) ? pellmark::LineOrder::TimeFirst : pellmark::LineOrder::PriceFirst;
    const std::string_view separator = rest.substr(0, (options >> 1) & 3);
    const std::string_view text = rest.substr(separator.size());

    int lines = 0;
    std::vector<std::string_view> seen;
    pellmark::ForEachDayFileLine(text, [&](std::string_view line, int number) {
        seen.push_back(line);
        if (number != ++lines || line.find_first_of("\r\n") != std::string_view::npos)
            __builtin_trap();
        if (const auto quote = pellmark::SplitQuoteLine(line, order, separator)) {
            const bool timeFirst = order == pellmark::LineOrder::TimeFirst;
            const std::string_view first = timeFirst ? quote->time : quote->price;
            const std::string_view last = timeFirst ? quote->price : quote->time;
            if (quote->time.size() != 5 ||
                first.size() + separator.size() + last.size() != line.size() ||
                line.substr(0, first.size()) != first || !line.ends_with(last) ||
                line.substr(first.size(), separator.size()) != separator)
                __builtin_trap();
        }
        if (const auto layout = pellmark::GuessLayout(line)) {
            if (!pellmark::SplitQuoteLine(line, layout->order, layout->separator))
                __builtin_trap();
        }
        if (pellmark::SplitQuoteLine(line, order, separator))
            for (const std::string& added : {"\xEF\xBB\xBF" + std::string(line),
                                             std::string(line) + ' ', std::string(line) + '\0'})
                if (pellmark::SplitQuoteLine(added, order, separator))
                    __builtin_trap();
    });
    if (text.find('\r') != std::string_view::npos)
        return 0;
    std::string withCr;
    for (const char c : text)
        withCr += c == '\n' ? std::string("\r\n") : std::string(1, c);
    int same = 0;
    pellmark::ForEachDayFileLine(withCr, [&](std::string_view line, int number) {
        if (number != ++same || number > static_cast<int>(seen.size()) || seen[number - 1] != line)
            __builtin_trap();
    });
    if (same != lines)
        __builtin_trap();
    return 0;
}
