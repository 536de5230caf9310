#include "ServiceDay.h"

#include "net/QuoteFetch.h"
#include "QuotePage.h"

#include <QDate>

#include <cstdio>

std::vector<std::string> ExpectedDayLines(std::string_view stk, std::string_view dateLabel,
                                          bool priceFirst, std::string_view separator,
                                          std::size_t paddedTo) {
    std::vector<std::string> lines;
    for (const pellmark::QuoteRecord& quote : pellmark::PaddedDayQuotes(stk, dateLabel, paddedTo)) {
        char time[16];
        std::snprintf(time, sizeof time, "%02d:%02d", quote.secondOfDay / 3600,
                      quote.secondOfDay / 60 % 60);
        lines.push_back(priceFirst ? quote.price + std::string(separator) + time
                                   : time + std::string(separator) + quote.price);
    }
    return lines;
}

QByteArray ExpectedDayBytes(const std::string& stk, const QString& dateLabel,
                            pellmark::LineOrder order, const QString& separator,
                            std::size_t paddedTo) {
    QByteArray bytes;
    for (const std::string& line :
         ExpectedDayLines(stk, dateLabel.toStdString(), order == pellmark::LineOrder::PriceFirst,
                          separator.toStdString(), paddedTo))
        bytes += QByteArray::fromStdString(line) + "\r\n";
    return bytes;
}

pellmark::FetchResult ServiceDayFetch(const QString& symbolDay) {
    const qsizetype hyphen = symbolDay.indexOf(u'-');
    const QString label = symbolDay.mid(hyphen + 1);
    if (!QDate::fromString(label, QStringLiteral("d-MMM-yy")).isValid())
        return {{}, pellmark::kMostFetchesPerDay};
    return {{true, ExpectedDayLines("frx" + symbolDay.left(hyphen).toStdString(),
                                    label.toStdString(), true, " - ")},
            1};
}
