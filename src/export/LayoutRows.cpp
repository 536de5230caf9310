#include "export/LayoutRows.h"

#include <charconv>

namespace pellmark {
namespace {

constexpr int kDayBarMinutes = 1440;

void AppendTwoDigits(std::string& out, int value) {
    out += static_cast<char>('0' + value / 10);
    out += static_cast<char>('0' + value % 10);
}

void AppendNumber(std::string& out, long long value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end);
}

} // namespace

LayoutRows::LayoutRows(const ExportLayout& layout, const QString& symbol, int barMinutes)
    : layout_(layout),
      barColumns_(barMinutes == kDayBarMinutes ? layout.dayBarColumns : layout.barColumns),
      symbol_(symbol.toStdString()),
      period_(barMinutes == kDayBarMinutes ? "D" : std::to_string(barMinutes)) {}

void LayoutRows::StartDay(QDate day) {
    date_.clear();
    const char between = layout_.date == DateForm::Iso      ? '-'
                         : layout_.date == DateForm::Dotted ? '.'
                                                            : '\0';
    AppendNumber(date_, day.year());
    for (const int part : {day.month(), day.day()}) {
        if (between != '\0')
            date_ += between;
        AppendTwoDigits(date_, part);
    }
}

void LayoutRows::AppendTime(std::string& out, int second) const {
    AppendTwoDigits(out, second / 3600);
    if (layout_.time == TimeForm::HourMinute) {
        out += ':';
        AppendTwoDigits(out, second / 60 % 60);
        return;
    }
    AppendTwoDigits(out, second / 60 % 60);
    AppendTwoDigits(out, second % 60);
}

void LayoutRows::AppendQuote(std::string& out, const ExportQuote& quote) const {
    const Prices prices{quote.price, quote.price, quote.price, quote.price};
    Append(out, layout_.quoteColumns, quote.second, prices, 1);
}

void LayoutRows::AppendBar(std::string& out, const ExportBar& bar) const {
    Append(out, barColumns_, bar.second, {bar.open, bar.high, bar.low, bar.close}, bar.ticks);
}

void LayoutRows::Append(std::string& out, const std::vector<Column>& columns, int second,
                        const Prices& prices, long long ticks) const {
    bool first = true;
    for (const Column column : columns) {
        if (!first)
            out += layout_.separator;
        first = false;
        switch (column) {
        case Column::Ticker:
            out += symbol_;
            break;
        case Column::Period:
            out += period_;
            break;
        case Column::Date:
            out += date_;
            break;
        case Column::Time:
            AppendTime(out, second);
            break;
        case Column::DateTime:
            out += date_;
            out += ' ';
            AppendTime(out, second);
            break;
        case Column::Price:
        case Column::Close:
            out += prices.close;
            break;
        case Column::Open:
            out += prices.open;
            break;
        case Column::High:
            out += prices.high;
            break;
        case Column::Low:
            out += prices.low;
            break;
        case Column::Ticks:
            AppendNumber(out, ticks);
            break;
        case Column::One:
            out += '1';
            break;
        }
    }
    out += "\r\n";
}

} // namespace pellmark
