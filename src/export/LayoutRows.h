// The rows of one layout for one symbol: each quote or bar as the text of one line, in the
// layout's columns, forms and separator, each line ended by CR LF.
#pragma once

#include "export/ExportLayout.h"
#include "export/ExportTarget.h"

#include <QDate>
#include <QString>

#include <string>

namespace pellmark {

class LayoutRows {
public:
    // barMinutes 0: quote rows.
    LayoutRows(const ExportLayout& layout, const QString& symbol, int barMinutes);
    // The day of the rows that follow, written into each of them.
    void StartDay(QDate day);
    void AppendQuote(std::string& out, const ExportQuote& quote) const;
    void AppendBar(std::string& out, const ExportBar& bar) const;

private:
    struct Prices {
        std::string_view open, high, low, close;
    };
    void Append(std::string& out, const std::vector<Column>& columns, int second,
                const Prices& prices, long long ticks) const;

    const ExportLayout& layout_;
    const std::vector<Column>& barColumns_; // of this bar length
    std::string symbol_;
    std::string period_;
    std::string date_;
};

} // namespace pellmark
