#include "page/CharsetMeta.h"

#include "page/CharsetAscii.h"
#include "page/CharsetLabels.h"

#include <algorithm>
#include <vector>

namespace pellmark {

namespace {

constexpr std::size_t kPrescanLength = 1024;

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

} // namespace

std::optional<std::string> EncodingFromMetaPrescan(std::string_view bytes) {
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

} // namespace pellmark
