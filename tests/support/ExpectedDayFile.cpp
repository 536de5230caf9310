#include "ExpectedDayFile.h"

#include "quote/BodySerialiser.h"
#include "QuotePage.h"

QByteArray ExpectedDayFile(const std::string& stk, const QString& dateLabel,
                           pellmark::LineOrder order, const QString& separator,
                           std::size_t paddedTo) {
    const std::string label = dateLabel.toStdString();
    const std::string html = paddedTo > 0 ? pellmark::PaddedQuotePageHtml(stk, label, paddedTo)
                                          : pellmark::QuotePageHtml(stk, label);
    const std::string body = pellmark::SerialiseBody(html, "text/html; charset=utf-8");
    return QByteArray::fromStdString(
        pellmark::JoinLines(pellmark::ParseIntradayPage(body, order, separator.toStdString())));
}
