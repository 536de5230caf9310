// What a day file must hold for a day of the local quote service: its page for stk, read and
// parsed as the program does it.
#pragma once

#include "quote/IntradayParser.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <string>

// paddedTo: the page as the service sends it with --huge-mb, at least that many bytes long.
QByteArray ExpectedDayFile(const std::string& stk, const QString& dateLabel,
                           pellmark::LineOrder order = pellmark::LineOrder::PriceFirst,
                           const QString& separator = QStringLiteral(" - "),
                           std::size_t paddedTo = 0);
