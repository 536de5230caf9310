#include "export/TextTarget.h"

namespace pellmark {

TextTarget::TextTarget(const QString& outDir, const ExportLayout& layout, int barMinutes,
                       bool withRunningDay)
    : outDir_(outDir), layout_(layout), barMinutes_(barMinutes), withRunningDay_(withRunningDay),
      files_(outDir) {}

std::vector<int> TextTarget::BarLengths() const {
    if (barMinutes_ == 0)
        return {};
    return {barMinutes_};
}

std::vector<bool> TextTarget::StartSymbol(const QString& symbol,
                                          const std::vector<DayFileEntry>& files) {
    symbol_ = symbol;
    rows_.emplace(layout_, symbol, barMinutes_);
    const std::string_view header = barMinutes_ > 0 ? layout_.barHeader : layout_.quoteHeader;
    bytes_.assign(header);
    rowCount_ = 0;
    first_ = last_ = QDate();
    return std::vector<bool>(files.size(), true);
}

void TextTarget::AddDay(const ExportDay& day) {
    const long long before = rowCount_;
    rows_->StartDay(day.day);
    if (barMinutes_ == 0) {
        // Dates, times and checked prices hold no separator, quote or line break, so no
        // field ever needs quoting.
        bytes_.reserve(bytes_.size() + day.quotes.size() * 32);
        for (const ExportQuote& quote : day.quotes)
            rows_->AppendQuote(bytes_, quote);
        rowCount_ += static_cast<long long>(day.quotes.size());
    } else {
        for (const ExportBar& bar : day.bars.front())
            rows_->AppendBar(bytes_, bar);
        rowCount_ += static_cast<long long>(day.bars.front().size());
    }
    if (rowCount_ > before) {
        first_ = first_.isValid() ? first_ : day.day;
        last_ = day.day;
    }
}

void TextTarget::EndSymbol(const SymbolEnd& end, ExportReport& report) {
    if (!end.keep)
        return;
    const QString name = LayoutFileName(layout_, symbol_, barMinutes_);
    const QString path = outDir_.filePath(name);
    if (const Done added = files_.Add(name, bytes_); !added) {
        report.problems.push_back(
            {path, 0, "cannot write: " + QString::fromStdString(added.reason())});
        return;
    }
    ExportedSeries& series = added_[path];
    series.path = path;
    series.rows = rowCount_;
    series.first = first_;
    series.last = last_;
    series.lastDay = end.lastDay;
    series.running = end.running;
    series.barsLeaveRunning = barMinutes_ > 0 && !withRunningDay_;
    series.barsOfRunning = barMinutes_ > 0 && withRunningDay_;
}

void TextTarget::Finish(ExportReport& report) {
    const WholeFiles::Outcome written = files_.Commit();
    for (const WholeFiles::Unwritten& file : written.unwritten)
        report.problems.push_back(
            {file.path, 0, "cannot write: " + QString::fromStdString(file.reason)});
    for (const QString& path : written.written)
        report.written.push_back(added_[path]);
}

} // namespace pellmark
