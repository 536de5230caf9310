// Byte texts for the page tests: literals that keep their NULs, and conversions between
// the library's 8-bit strings and the QByteArray columns of the test tables.
#pragma once

#include "core/TextLines.h"

#include <QByteArray>
#include <QByteArrayList>

#include <cstddef>
#include <string_view>

namespace pellmark::test {

template <std::size_t N> QByteArray Bytes(const char (&literal)[N]) {
    return QByteArray(literal, static_cast<qsizetype>(N - 1));
}

inline std::string_view View(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

inline QByteArrayList ToList(const Lines& lines) {
    QByteArrayList list;
    for (const auto& line : lines)
        list.append(QByteArray(line.data(), static_cast<qsizetype>(line.size())));
    return list;
}

inline Lines FromList(const QByteArrayList& list) {
    Lines lines;
    for (const auto& item : list)
        lines.emplace_back(View(item));
    return lines;
}

} // namespace pellmark::test
