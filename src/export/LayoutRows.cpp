#include "export/LayoutRows.h"

#include <charconv>
#include <cstring>

namespace pellmark {
namespace {

constexpr int kDayBarMinutes = 1440;

// A row is put together in a buffer on the stack and appended to the text at its end, or
// when a long field comes: appending field by field cost more than reading the day files.
class Row {
public:
    explicit Row(std::string& out) : out_(out) {}
    ~Row() { Flush(); }
    Row(const Row&) = delete;
    Row& operator=(const Row&) = delete;

    void Add(char c) {
        Room(1);
        *end_++ = c;
    }
    void Add(std::string_view text) {
        if (text.size() > kRoom) {
            Flush();
            out_ += text;
            return;
        }
        Room(text.size());
        std::memcpy(end_, text.data(), text.size());
        end_ += text.size();
    }
    void AddTwoDigits(int value) {
        Room(2);
        *end_++ = static_cast<char>('0' + value / 10);
        *end_++ = static_cast<char>('0' + value % 10);
    }
    void AddNumber(long long value) {
        Room(20);
        end_ = std::to_chars(end_, end_ + 20, value).ptr;
    }

private:
    static constexpr std::size_t kRoom = 256;
    void Room(std::size_t size) {
        if (static_cast<std::size_t>(buffer_ + kRoom - end_) < size)
            Flush();
    }
    void Flush() {
        out_.append(buffer_, static_cast<std::size_t>(end_ - buffer_));
        end_ = buffer_;
    }

    std::string& out_;
    char buffer_[kRoom];
    char* end_ = buffer_;
};

void AppendTwoDigits(std::string& out, int value) {
    out += static_cast<char>('0' + value / 10);
    out += static_cast<char>('0' + value % 10);
}

} // namespace

LayoutRows::LayoutRows(const ExportLayout& layout, const QString& symbol, int barMinutes)
    : layout_(layout),
      barColumns_(barMinutes == kDayBarMinutes ? layout.dayBarColumns : layout.barColumns),
      symbol_(symbol.toStdString()),
      period_(barMinutes == kDayBarMinutes ? "D" : std::to_string(barMinutes)) {}

void LayoutRows::StartDay(QDate day) {
    date_ = std::to_string(day.year());
    for (const int part : {day.month(), day.day()}) {
        if (layout_.date == DateForm::Iso)
            date_ += '-';
        else if (layout_.date == DateForm::Dotted)
            date_ += '.';
        AppendTwoDigits(date_, part);
    }
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
    Row row(out);
    const auto time = [&] {
        row.AddTwoDigits(second / 3600);
        if (layout_.time == TimeForm::HourMinute)
            row.Add(':');
        row.AddTwoDigits(second / 60 % 60);
        if (layout_.time == TimeForm::Compact)
            row.AddTwoDigits(second % 60);
    };
    bool first = true;
    for (const Column column : columns) {
        if (!first)
            row.Add(layout_.separator);
        first = false;
        switch (column) {
        case Column::Ticker:
            row.Add(symbol_);
            break;
        case Column::Period:
            row.Add(period_);
            break;
        case Column::Date:
            row.Add(date_);
            break;
        case Column::Time:
            time();
            break;
        case Column::DateTime:
            row.Add(date_);
            row.Add(' ');
            time();
            break;
        case Column::Price:
        case Column::Close:
            row.Add(prices.close);
            break;
        case Column::Open:
            row.Add(prices.open);
            break;
        case Column::High:
            row.Add(prices.high);
            break;
        case Column::Low:
            row.Add(prices.low);
            break;
        case Column::Ticks:
            row.AddNumber(ticks);
            break;
        case Column::One:
            row.Add('1');
            break;
        }
    }
    row.Add('\r');
    row.Add('\n');
}

} // namespace pellmark
