#include "page/CharsetDecoder.h"

#include "page/CharsetLabels.h"
#include "page/IconvConversion.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace pellmark {

namespace {

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

// Code points of the bytes 0x80..0x9F; the five unassigned bytes keep their C1 code point.
constexpr std::array<char16_t, 32> kWindows1252High{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string DecodeWindows1252(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const std::size_t runEnd =
            std::find_if(bytes.begin() + pos, bytes.end(), [](char c) { return (c & 0x80) != 0; }) -
            bytes.begin();
        out.append(bytes.substr(pos, runEnd - pos));
        if (runEnd == bytes.size())
            break;
        const auto byte = static_cast<std::uint8_t>(bytes[runEnd]);
        AppendUtf8(out, byte < 0xA0 ? kWindows1252High[byte - 0x80] : char32_t{byte});
        pos = runEnd + 1;
    }
    return out;
}

// Browsers replace the longest start of a valid UTF-8 sequence with one U+FFFD, not each of
// its bytes.
std::size_t InvalidUtf8Length(std::string_view bytes) {
    const auto lead = static_cast<std::uint8_t>(bytes[0]);
    const std::size_t expected = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    if (lead < 0xC2 || lead > 0xF4)
        return 1;
    std::size_t length = 1;
    while (length < expected && length < bytes.size()) {
        const auto next = static_cast<std::uint8_t>(bytes[length]);
        std::uint8_t low = 0x80;
        std::uint8_t high = 0xBF;
        if (length == 1) {
            low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
        }
        if (next < low || next > high)
            break;
        ++length;
    }
    return length;
}

} // namespace

std::string DecodeToUtf8(std::string_view encoding, std::string_view bytes) {
    if (encoding == kWindows1252)
        return DecodeWindows1252(bytes);
    if (encoding == kReplacementEncoding)
        return bytes.empty() ? std::string() : std::string(kReplacementCharacter);
    IconvConversion conversion{std::string(kUtf8), std::string(encoding)};
    const std::size_t codeUnit = encoding == kUtf16Le || encoding == kUtf16Be ? 2 : 1;
    const InvalidSpan span = encoding == kUtf8
                                 ? InvalidSpan(InvalidUtf8Length)
                                 : InvalidSpan([codeUnit](std::string_view) { return codeUnit; });
    return conversion.convertReplacing(bytes, kReplacementCharacter, span)
        .value_or(DecodeWindows1252(bytes));
}

} // namespace pellmark
