#include "page/CharsetSniffer.h"

#include "page/CharsetAscii.h"
#include "page/CharsetLabels.h"
#include "page/CharsetMeta.h"

namespace pellmark {

namespace {

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

SniffedEncoding SniffHtmlEncoding(std::string_view bytes, std::string_view contentType) {
    if (const auto bom = FindByteOrderMark(bytes))
        return {std::string(bom->encoding), bom->bytes.size()};
    std::optional<std::string> encoding = CharsetFromContentType(contentType);
    if (!encoding)
        encoding = EncodingFromMetaPrescan(bytes);
    return {encoding.value_or(std::string(kWindows1252)), 0};
}

} // namespace pellmark
