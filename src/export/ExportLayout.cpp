#include "export/ExportLayout.h"

#include "export/OhlcBars.h"

#include <algorithm>
#include <array>

namespace pellmark {
namespace {

using enum Column;

ExportLayout Csv() {
    ExportLayout layout;
    layout.name = "csv";
    layout.importer = "a spreadsheet";
    layout.quoteHeader = "date,time,price\r\n";
    layout.barHeader = "date,time,open,high,low,close,ticks\r\n";
    layout.quoteColumns = {Date, Time, Price};
    layout.barColumns = layout.dayBarColumns = {Date, Time, Open, High, Low, Close, Ticks};
    layout.extension = ".csv";
    return layout;
}

// MetaTrader's history import: bars only, no header, the quote count as the volume.
ExportLayout MetaTrader() {
    ExportLayout layout;
    layout.name = "metatrader";
    layout.importer = "MetaTrader's history import";
    layout.barColumns = layout.dayBarColumns = {Date, Time, Open, High, Low, Close, Ticks};
    layout.date = DateForm::Dotted;
    layout.extension = ".csv";
    return layout;
}

// NinjaTrader's text import: ticks, minute bars and day bars only, the instrument taken from
// the file's name.
ExportLayout NinjaTrader() {
    ExportLayout layout;
    layout.name = "ninjatrader";
    layout.importer = "NinjaTrader's import";
    layout.quoteColumns = {DateTime, Price, One};
    layout.barColumns = {DateTime, Open, High, Low, Close, Ticks};
    layout.dayBarColumns = {Date, Open, High, Low, Close, Ticks};
    layout.date = DateForm::Compact;
    layout.time = TimeForm::Compact;
    layout.separator = ';';
    layout.barMinutes = {1, 1440};
    layout.extension = ".txt";
    layout.lengthInName = false;
    return layout;
}

// The MetaStock ASCII layout, which AmiBroker and many others read; a quote is a row whose
// open, high, low and close are its price.
ExportLayout MetaStock() {
    ExportLayout layout;
    layout.name = "metastock";
    layout.importer = "a MetaStock ASCII import";
    layout.quoteHeader = layout.barHeader =
        "<TICKER>,<PER>,<DATE>,<TIME>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>\r\n";
    layout.quoteColumns = {Ticker, Period, Date, Time, Price, Price, Price, Price, One};
    layout.barColumns =
        layout.dayBarColumns = {Ticker, Period, Date, Time, Open, High, Low, Close, Ticks};
    layout.date = DateForm::Compact;
    layout.time = TimeForm::Compact;
    layout.extension = ".txt";
    return layout;
}

const std::array<ExportLayout, 4>& Layouts() {
    static const std::array<ExportLayout, 4> layouts = {Csv(), MetaTrader(), NinjaTrader(),
                                                        MetaStock()};
    return layouts;
}

std::string BarsOption(int minutes) {
    return "--bars " + BarLengthName(minutes).toStdString();
}

} // namespace

const ExportLayout& CsvLayout() {
    return Layouts().front();
}

const ExportLayout* FindLayout(QStringView name) {
    for (const ExportLayout& layout : Layouts())
        if (name ==
            QLatin1StringView(layout.name.data(), static_cast<qsizetype>(layout.name.size())))
            return &layout;
    return nullptr;
}

std::string LayoutNames() {
    std::string names;
    for (const ExportLayout& layout : Layouts())
        names += (names.empty() ? "" : ", ") + std::string(layout.name);
    return names;
}

std::optional<std::string> LayoutRefusal(const ExportLayout& layout, int barMinutes) {
    const std::string option = "--layout " + std::string(layout.name);
    if (barMinutes == 0 && layout.quoteColumns.empty())
        return option + " writes bars only (" + std::string(layout.importer) +
               " reads no quotes): add --bars LENGTH, such as --bars 1min";
    const std::vector<int>& taken = layout.barMinutes;
    if (barMinutes == 0 || taken.empty() ||
        std::find(taken.begin(), taken.end(), barMinutes) != taken.end())
        return std::nullopt;
    std::string choices = layout.quoteColumns.empty() ? "" : "quotes, ";
    for (std::size_t i = 0; i < taken.size(); ++i)
        choices += (i == 0 ? "" : i + 1 == taken.size() ? " or " : ", ") + BarsOption(taken[i]);
    return option + " takes " + choices + " (" + std::string(layout.importer) +
           " reads no other bars), not " + BarsOption(barMinutes);
}

QString LayoutFileName(const ExportLayout& layout, const QString& symbol, int barMinutes) {
    const QString extension = QString::fromLatin1(layout.extension.data(),
                                                  static_cast<qsizetype>(layout.extension.size()));
    if (barMinutes == 0 || !layout.lengthInName)
        return symbol + extension;
    return symbol + "-" + BarLengthName(barMinutes) + extension;
}

} // namespace pellmark
