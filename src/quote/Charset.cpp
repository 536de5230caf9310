#include "quote/Charset.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <iconv.h>
#include <vector>

namespace pellmark {

namespace {

constexpr std::string_view kWindows1252 = "windows-1252";
constexpr std::string_view kUtf8 = "UTF-8";
constexpr std::string_view kUtf16Le = "UTF-16LE";
constexpr std::string_view kUtf16Be = "UTF-16BE";
constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";
constexpr std::size_t kPrescanLength = 1024;

struct AliasGroup {
    std::string_view encoding;
    std::string_view labels; // separated by spaces
};

// Labels browsers decode differently from what their name says (the Latin-1 family is
// Windows-1252, a bare "utf-16" is little-endian), plus spellings iconv does not know.
constexpr std::array kAliasGroups{
    AliasGroup{kWindows1252, "ansi_x3.4-1968 ascii cp1252 cp819 csisolatin1 ibm819 iso-8859-1 "
                             "iso-ir-100 iso8859-1 iso88591 iso_8859-1 iso_8859-1:1987 l1 "
                             "latin1 us-ascii windows-1252 x-cp1252 x-user-defined"},
    AliasGroup{kUtf8, "unicode-1-1-utf-8 utf-8 utf8"},
    AliasGroup{kUtf16Le, "csunicode iso-10646-ucs-2 ucs-2 unicode unicodefeff utf-16 utf-16le"},
    AliasGroup{kUtf16Be, "unicodefffe utf-16be"},
    AliasGroup{"CP1254", "iso-8859-9 iso8859-9 iso88599 iso_8859-9 l5 latin5"},
    AliasGroup{"CP874", "dos-874 iso-8859-11 iso8859-11 tis-620"},
    AliasGroup{"GBK", "chinese csgb2312 gb2312 x-gbk"},
    AliasGroup{"CP932", "ms_kanji shift-jis shift_jis sjis windows-31j x-sjis"},
    AliasGroup{"CP949", "euc-kr korean ks_c_5601-1987 windows-949"},
    AliasGroup{"BIG5-HKSCS", "big5 x-x-big5"},
};

bool ListsLabel(std::string_view labels, std::string_view label) {
    while (!labels.empty()) {
        const std::size_t space = labels.find(' ');
        if (labels.substr(0, space) == label)
            return true;
        labels = space == std::string_view::npos ? std::string_view{} : labels.substr(space + 1);
    }
    return false;
}

// UTF-7 lets markup hide from anything that scans the bytes, so browsers refuse it.
constexpr std::array kRefusedLabels{std::string_view{"utf-7"}, std::string_view{"csunicode11utf7"}};

// Code points of the bytes 0x80..0x9F; the five unassigned bytes keep their C1 code point.
constexpr std::array<char16_t, 32> kWindows1252High{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool IsAsciiWhitespace(char c) {
    return c == '\t' || c == '\n' || c == '\f' || c == '\r' || c == ' ';
}

char ToAsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string ToAsciiLower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return ToAsciiLower(c); });
    return lower;
}

bool StartsWithIgnoringCase(std::string_view text, std::size_t pos, std::string_view prefix) {
    if (text.size() - pos < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (ToAsciiLower(text[pos + i]) != prefix[i])
            return false;
    }
    return true;
}

std::string_view TrimAsciiWhitespace(std::string_view text) {
    while (!text.empty() && IsAsciiWhitespace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsAsciiWhitespace(text.back()))
        text.remove_suffix(1);
    return text;
}

// A label goes to iconv_open only when it looks like an encoding name: iconv would read
// "//" suffixes as conversion flags.
bool IsPlainEncodingName(std::string_view label) {
    return !label.empty() && label.size() <= 40 &&
           std::all_of(label.begin(), label.end(), [](char c) {
               return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
                      c == '.' || c == ':';
           });
}

bool IconvKnows(const std::string& encoding) {
    const iconv_t cd = iconv_open("UTF-8", encoding.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    iconv_close(cd);
    return true;
}

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

// UTF-8 output of iconv, grown on demand.
class OutputBuffer {
public:
    explicit OutputBuffer(std::size_t capacity) : text_(capacity, '\0') {}

    char* end() { return text_.data() + written_; }
    std::size_t room() const { return text_.size() - written_; }
    void advanceTo(const char* newEnd) { written_ = newEnd - text_.data(); }
    void grow() { text_.resize(text_.size() * 2); }
    void append(std::string_view text) {
        while (room() < text.size())
            grow();
        text_.replace(written_, text.size(), text);
        written_ += text.size();
    }
    std::string take() {
        text_.resize(written_);
        return std::move(text_);
    }

private:
    std::string text_;
    std::size_t written_ = 0;
};

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

class IconvDecoder {
public:
    explicit IconvDecoder(const std::string& encoding)
        : cd_(iconv_open("UTF-8", encoding.c_str())) {}
    ~IconvDecoder() {
        if (valid())
            iconv_close(cd_);
    }
    IconvDecoder(const IconvDecoder&) = delete;
    IconvDecoder& operator=(const IconvDecoder&) = delete;

    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Each invalid sequence, and a sequence cut off by the end of the input, gives one U+FFFD;
    // skipInvalid says how many bytes an invalid sequence spans.
    template <typename SkipInvalid>
    std::string decode(std::string_view bytes, SkipInvalid skipInvalid) {
        OutputBuffer out(bytes.size() * 2 + 16);
        char* in = const_cast<char*>(bytes.data());
        std::size_t inLeft = bytes.size();
        while (inLeft > 0) {
            const int error = convert(&in, &inLeft, out);
            if (error == 0)
                break;
            if (error == E2BIG) {
                out.grow();
                continue;
            }
            out.append(kReplacementCharacter);
            const std::size_t skip =
                error == EILSEQ ? std::min(skipInvalid({in, inLeft}), inLeft) : inLeft;
            in += skip;
            inLeft -= skip;
        }
        while (convert(nullptr, nullptr, out) == E2BIG)
            out.grow();
        return out.take();
    }

private:
    int convert(char** in, std::size_t* inLeft, OutputBuffer& out) {
        char* outPtr = out.end();
        std::size_t outLeft = out.room();
        const std::size_t result = iconv(cd_, in, inLeft, &outPtr, &outLeft);
        const int error = errno;
        out.advanceTo(outPtr);
        return result == static_cast<std::size_t>(-1) ? error : 0;
    }

    iconv_t cd_;
};

std::string DecodeWith(std::string_view encoding, std::string_view bytes) {
    if (encoding == kWindows1252)
        return DecodeWindows1252(bytes);
    IconvDecoder decoder{std::string(encoding)};
    if (!decoder.valid())
        return DecodeWindows1252(bytes);
    if (encoding == kUtf8)
        return decoder.decode(bytes, InvalidUtf8Length);
    const std::size_t codeUnit = encoding == kUtf16Le || encoding == kUtf16Be ? 2 : 1;
    return decoder.decode(bytes, [codeUnit](std::string_view) { return codeUnit; });
}

std::optional<std::string> CharsetFromContentType(std::string_view contentType) {
    std::size_t pos = contentType.find(';');
    while (pos != std::string_view::npos) {
        const std::size_t end = contentType.find(';', pos + 1);
        const std::string_view param = contentType.substr(pos + 1, end - pos - 1);
        pos = end;
        const std::size_t equals = param.find('=');
        if (equals == std::string_view::npos ||
            ToAsciiLower(TrimAsciiWhitespace(param.substr(0, equals))) != "charset")
            continue;
        std::string_view value = TrimAsciiWhitespace(param.substr(equals + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        return EncodingForLabel(value);
    }
    return std::nullopt;
}

// The charset in the content attribute of a <meta http-equiv="Content-Type">:
// charset=NAME, possibly quoted, anywhere in the value.
std::optional<std::string> CharsetFromMetaContent(std::string_view content) {
    const std::string lowered = ToAsciiLower(content);
    std::size_t pos = 0;
    while (true) {
        pos = lowered.find("charset", pos);
        if (pos == std::string::npos)
            return std::nullopt;
        pos += 7;
        while (pos < content.size() && IsAsciiWhitespace(content[pos]))
            ++pos;
        if (pos >= content.size() || content[pos] != '=')
            continue;
        ++pos;
        while (pos < content.size() && IsAsciiWhitespace(content[pos]))
            ++pos;
        if (pos >= content.size())
            return std::nullopt;
        const char first = content[pos];
        if (first == '"' || first == '\'') {
            const std::size_t close = content.find(first, pos + 1);
            if (close == std::string_view::npos)
                return std::nullopt;
            return std::string(content.substr(pos + 1, close - pos - 1));
        }
        std::size_t end = pos;
        while (end < content.size() && !IsAsciiWhitespace(content[end]) && content[end] != ';')
            ++end;
        return std::string(content.substr(pos, end - pos));
    }
}

struct Attribute {
    std::string name;
    std::string value;
};

// Reads the attributes of a tag in the first bytes of a document the way browsers do
// before they know its encoding: names and values lower-cased, quotes optional.
class TagScanner {
public:
    TagScanner(std::string_view bytes, std::size_t pos) : bytes_(bytes), pos_(pos) {}

    std::size_t position() const { return pos_; }

    std::optional<Attribute> next() {
        while (!atEnd() && (IsAsciiWhitespace(peek()) || peek() == '/'))
            ++pos_;
        if (atEnd() || peek() == '>')
            return std::nullopt;
        Attribute attribute;
        while (!atEnd()) {
            const char c = peek();
            if (c == '=' && !attribute.name.empty()) {
                ++pos_;
                return readValue(std::move(attribute));
            }
            if (IsAsciiWhitespace(c))
                break;
            if (c == '/' || c == '>')
                return attribute;
            attribute.name += ToAsciiLower(c);
            ++pos_;
        }
        skipWhitespace();
        if (atEnd())
            return std::nullopt;
        if (peek() != '=')
            return attribute;
        ++pos_;
        return readValue(std::move(attribute));
    }

private:
    bool atEnd() const { return pos_ >= bytes_.size(); }
    char peek() const { return bytes_[pos_]; }
    void skipWhitespace() {
        while (!atEnd() && IsAsciiWhitespace(peek()))
            ++pos_;
    }

    std::optional<Attribute> readValue(Attribute attribute) {
        skipWhitespace();
        if (atEnd())
            return std::nullopt;
        const char first = peek();
        if (first == '"' || first == '\'') {
            const std::size_t close = bytes_.find(first, pos_ + 1);
            if (close == std::string_view::npos)
                return std::nullopt;
            attribute.value = ToAsciiLower(bytes_.substr(pos_ + 1, close - pos_ - 1));
            pos_ = close + 1;
            return attribute;
        }
        while (!atEnd() && !IsAsciiWhitespace(peek()) && peek() != '>') {
            attribute.value += ToAsciiLower(peek());
            ++pos_;
        }
        return attribute;
    }

    std::string_view bytes_;
    std::size_t pos_;
};

// The encoding one <meta> tag declares, by charset= or by http-equiv plus content.
std::optional<std::string> EncodingOfMeta(TagScanner& scanner) {
    bool isContentTypePragma = false;
    std::optional<bool> needsPragma;
    std::optional<std::string> charset;
    std::vector<std::string> seen;
    while (const auto attribute = scanner.next()) {
        if (std::find(seen.begin(), seen.end(), attribute->name) != seen.end())
            continue;
        seen.push_back(attribute->name);
        if (attribute->name == "http-equiv") {
            isContentTypePragma = isContentTypePragma || attribute->value == "content-type";
        } else if (attribute->name == "content" && !charset) {
            charset = CharsetFromMetaContent(attribute->value);
            if (charset)
                needsPragma = true;
        } else if (attribute->name == "charset") {
            charset = attribute->value;
            needsPragma = false;
        }
    }
    if (!needsPragma || (*needsPragma && !isContentTypePragma) || !charset)
        return std::nullopt;
    auto encoding = EncodingForLabel(*charset);
    // A document that could be read far enough to find this tag is not UTF-16.
    if (encoding && (*encoding == kUtf16Le || *encoding == kUtf16Be))
        encoding = std::string(kUtf8);
    return encoding;
}

std::optional<std::string> CharsetFromMetaPrescan(std::string_view bytes) {
    bytes = bytes.substr(0, kPrescanLength);
    const auto isLetter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        if (bytes.compare(pos, 4, "<!--") == 0) {
            const std::size_t close = bytes.find("-->", pos + 2);
            if (close == std::string_view::npos)
                return std::nullopt;
            pos = close + 3;
            continue;
        }
        if (StartsWithIgnoringCase(bytes, pos, "<meta") && pos + 5 < bytes.size() &&
            (IsAsciiWhitespace(bytes[pos + 5]) || bytes[pos + 5] == '/')) {
            TagScanner scanner(bytes, pos + 5);
            if (auto encoding = EncodingOfMeta(scanner))
                return encoding;
            pos = scanner.position() + 1;
            continue;
        }
        const bool startTag =
            bytes[pos] == '<' && pos + 1 < bytes.size() && isLetter(bytes[pos + 1]);
        const bool endTag =
            bytes.compare(pos, 2, "</") == 0 && pos + 2 < bytes.size() && isLetter(bytes[pos + 2]);
        if (startTag || endTag) {
            pos = bytes.find_first_of("\t\n\f\r >", pos + 1);
            if (pos == std::string_view::npos)
                return std::nullopt;
            TagScanner scanner(bytes, pos);
            while (scanner.next()) {
            }
            pos = scanner.position() + 1;
            continue;
        }
        if (bytes.compare(pos, 2, "<!") == 0 || bytes.compare(pos, 2, "</") == 0 ||
            bytes.compare(pos, 2, "<?") == 0) {
            pos = bytes.find('>', pos + 2);
            if (pos == std::string_view::npos)
                return std::nullopt;
        }
        ++pos;
    }
    return std::nullopt;
}

struct ByteOrderMark {
    std::string_view bytes;
    std::string_view encoding;
};

std::optional<ByteOrderMark> FindByteOrderMark(std::string_view bytes) {
    for (const ByteOrderMark& bom :
         {ByteOrderMark{"\xEF\xBB\xBF", kUtf8}, ByteOrderMark{"\xFE\xFF", kUtf16Be},
          ByteOrderMark{"\xFF\xFE", kUtf16Le}}) {
        if (bytes.substr(0, bom.bytes.size()) == bom.bytes)
            return bom;
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> EncodingForLabel(std::string_view label) {
    const std::string name = ToAsciiLower(TrimAsciiWhitespace(label));
    const auto group =
        std::find_if(kAliasGroups.begin(), kAliasGroups.end(),
                     [&](const AliasGroup& g) { return ListsLabel(g.labels, name); });
    if (group != kAliasGroups.end())
        return std::string(group->encoding);
    if (!IsPlainEncodingName(name) ||
        std::find(kRefusedLabels.begin(), kRefusedLabels.end(), name) != kRefusedLabels.end() ||
        !IconvKnows(name))
        return std::nullopt;
    return name;
}

std::string DecodeHtmlToUtf8(std::string_view bytes, std::string_view contentType) {
    if (const auto bom = FindByteOrderMark(bytes))
        return DecodeWith(bom->encoding, bytes.substr(bom->bytes.size()));
    std::optional<std::string> encoding = CharsetFromContentType(contentType);
    if (!encoding)
        encoding = CharsetFromMetaPrescan(bytes);
    return DecodeWith(encoding.value_or(std::string(kWindows1252)), bytes);
}

} // namespace pellmark
