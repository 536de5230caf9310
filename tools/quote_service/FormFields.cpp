#include "FormFields.h"

#include <cctype>

namespace pellmark {
namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string DecodeComponent(std::string_view text) {
    std::string decoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '+') {
            decoded += ' ';
        } else if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
                   HexValue(text[i + 2]) >= 0) {
            decoded += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            decoded += text[i];
        }
    }
    return decoded;
}

} // namespace

FormFields DecodeFormFields(std::string_view encoded) {
    FormFields fields;
    while (!encoded.empty()) {
        const auto end = encoded.find('&');
        const std::string_view pair = encoded.substr(0, end);
        const auto equals = pair.find('=');
        const std::string name = DecodeComponent(pair.substr(0, equals));
        const std::string value = equals == std::string_view::npos
                                      ? std::string()
                                      : DecodeComponent(pair.substr(equals + 1));
        if (!name.empty())
            fields.emplace(name, value);
        encoded = end == std::string_view::npos ? std::string_view() : encoded.substr(end + 1);
    }
    return fields;
}

std::string EncodeFormValue(std::string_view value) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (unsigned char c : value) {
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
            encoded += static_cast<char>(c);
        } else {
            encoded += '%';
            encoded += kHex[c >> 4];
            encoded += kHex[c & 15];
        }
    }
    return encoded;
}

} // namespace pellmark
