// The output lines and day files a day of the local quote service should give, worked out
// from the service's own quote generator rather than from its HTML.
#pragma once

#include "net/FetchResult.h"
#include "page/IntradayParser.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// paddedTo: the page as the service sends it with --huge-mb, at least that many bytes long.
std::vector<std::string> ExpectedDayLines(std::string_view stk, std::string_view dateLabel,
                                          bool priceFirst, std::string_view separator,
                                          std::size_t paddedTo = 0);

// The day file: every expected line followed by CR LF.
QByteArray ExpectedDayBytes(const std::string& stk, const QString& dateLabel,
                            pellmark::LineOrder order = pellmark::LineOrder::PriceFirst,
                            const QString& separator = QStringLiteral(" - "),
                            std::size_t paddedTo = 0);

// What a fetch of "SYMBOL-d-Mmm-yy" from the service gives in the default layout: the quotes
// of the currency pair, or no data after every fetch when the label names no day.
pellmark::FetchResult ServiceDayFetch(const QString& symbolDay);
