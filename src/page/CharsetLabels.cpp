#include "page/CharsetLabels.h"

#include "page/CharsetAscii.h"
#include "page/IconvConversion.h"

#include <algorithm>
#include <array>

namespace pellmark {

namespace {

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
    AliasGroup{kReplacementEncoding, "csiso2022kr hz-gb-2312 iso-2022-cn iso-2022-cn-ext "
                                     "iso-2022-kr replacement"},
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

// Other spellings iconv knows for stateful encodings that let markup hide from anything that
// scans the bytes (UTF-7, ISO-2022 variants): browsers know no such labels.
constexpr std::string_view kRefusedLabels =
    "csunicode11utf7 utf-7 utf7 utf-7-imap csiso2022cn iso2022cn iso2022cnext iso2022kr "
    "csiso2022jp2 iso-2022-jp-2 iso2022jp2 iso-2022-jp-3";

// A label goes to iconv_open only when it looks like an encoding name: iconv would read
// "//" suffixes as conversion flags.
bool IsPlainEncodingName(std::string_view label) {
    return !label.empty() && label.size() <= 40 &&
           std::all_of(label.begin(), label.end(), [](char c) {
               return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
                      c == '.' || c == ':';
           });
}

} // namespace

std::optional<std::string> EncodingForLabel(std::string_view label) {
    const std::string name = ToAsciiLower(TrimAsciiWhitespace(label));
    const auto group =
        std::find_if(kAliasGroups.begin(), kAliasGroups.end(),
                     [&](const AliasGroup& g) { return ListsLabel(g.labels, name); });
    if (group != kAliasGroups.end())
        return std::string(group->encoding);
    if (!IsPlainEncodingName(name) || ListsLabel(kRefusedLabels, name) ||
        !IconvConversion(std::string(kUtf8), name).valid())
        return std::nullopt;
    return name;
}

} // namespace pellmark
