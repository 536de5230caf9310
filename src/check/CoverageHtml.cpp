#include "check/CoverageHtml.h"

#include "check/CoverageText.h"
#include "core/DateList.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <vector>

namespace pellmark {
namespace {

constexpr int kPitch = 14; // a calendar cell and the gap after it
constexpr int kCell = 12;
constexpr int kLeft = 34;         // room for the week-day names
constexpr int kMonthRow = 14;     // room for the month names above each band
constexpr int kWeeksPerBand = 53; // a longer range wraps into further bands, a year each
constexpr int kMonthColumns = 3;  // a month name is as wide as three columns
constexpr int kChartHeight = 110;
constexpr int kChartMinWidth = 560; // a range of a few weeks still gets a readable chart
constexpr int kChartBottom = 18;    // room for the dates under the chart

// Lightness tells the states apart in grey print; hue (blue, orange, grey) and the patterns
// tell them apart for readers who do not see red against green.
constexpr char kStyle[] = R"(
body { font: 14px/1.4 "DejaVu Sans", Arial, sans-serif; color: #222; margin: 1.5em;
       display: flex; flex-direction: column; align-items: flex-start; }
h1 { font-size: 1.4em; margin: 0 0 .3em; order: -2; }
.overall { order: -1; }
h2 { font-size: 1.15em; margin: 1.6em 0 .2em; }
p { margin: .2em 0; }
svg text { font: 10px "DejaVu Sans", Arial, sans-serif; fill: #444; }
.complete { fill: #bcd7ec; }
.running { fill: #e3eef7; stroke: #6baed6; stroke-width: 1; }
.short { fill: #e8710a; }
.holed { fill: url(#holed); stroke: #e8710a; stroke-width: 1; }
.missing { fill: #1f1f1f; }
.service { fill: #e0e0e0; stroke: #bcd7ec; stroke-width: 1.2; }
.empty { fill: #fff; stroke: #525252; stroke-width: 1.2; }
.unreadable { fill: url(#unreadable); stroke: #252525; stroke-width: 1; }
.price { fill: none; stroke: #08519c; stroke-width: 1.4; stroke-linecap: round;
         stroke-linejoin: round; }
.axis { stroke: #bbb; stroke-width: 1; }
ul.faults { columns: 22em; font-size: .85em; padding-left: 1.2em; margin: .4em 0; }
.legend { margin: .6em 0 0; }
@media print { body { margin: 0; } section { break-inside: avoid; } }
)";

constexpr char kPatterns[] =
    R"svg(<svg width="0" height="0" style="position:absolute" aria-hidden="true"><defs>)svg"
    R"svg(<pattern id="holed" width="4" height="4" patternUnits="userSpaceOnUse" )svg"
    R"svg(patternTransform="rotate(45)"><rect width="4" height="4" fill="#fff"/>)svg"
    R"svg(<rect width="2" height="4" fill="#e8710a"/></pattern>)svg"
    R"svg(<pattern id="unreadable" width="4" height="4" patternUnits="userSpaceOnUse">)svg"
    R"svg(<rect width="4" height="4" fill="#fff"/><path d="M0 0L4 4M4 0L0 4" stroke="#252525" )svg"
    R"svg(stroke-width="1"/></pattern></defs></svg>)svg";

constexpr std::array<DayState, 8> kStates = {
    DayState::Complete, DayState::Running, DayState::Short,      DayState::Holed,
    DayState::Missing,  DayState::Empty,   DayState::Unreadable, DayState::AtService};
constexpr std::array<const char*, 5> kWeekdays = {"Mon", "Tue", "Wed", "Thu", "Fri"};

std::string Escaped(const QString& text) {
    return text.toHtmlEscaped().toStdString();
}

// Appends value with one decimal; a chart has thousands of them, which printf would take
// most of the page's time to write.
void AppendTenths(std::string& out, double value) {
    long long tenths = std::llround(value * 10);
    if (tenths < 0) {
        out += '-';
        tenths = -tenths;
    }
    char digits[24];
    const std::to_chars_result whole = std::to_chars(digits, digits + sizeof digits, tenths / 10);
    out.append(digits, whole.ptr);
    out += '.';
    out += static_cast<char>('0' + tenths % 10);
}

std::string Number(double value) {
    std::string text;
    AppendTenths(text, value);
    return text;
}

// As "%.6g" writes it, but with a point whatever the system's language: printf takes the
// decimal mark from the locale the program starts in.
std::string Price(double value) {
    char text[32];
    const std::to_chars_result end =
        std::to_chars(text, text + sizeof text, value, std::chars_format::general, 6);
    return {text, end.ptr};
}

// Where each day of a symbol sits: its week and its week-day row.
struct Grid {
    QDate firstMonday;
    int weeks = 0;

    explicit Grid(const SymbolCoverage& symbol) {
        firstMonday = symbol.days.front().day.addDays(1 - symbol.days.front().day.dayOfWeek());
        weeks = static_cast<int>(firstMonday.daysTo(symbol.days.back().day) / 7) + 1;
    }
    int Week(QDate day) const { return static_cast<int>(firstMonday.daysTo(day) / 7); }
    int Bands() const { return (weeks + kWeeksPerBand - 1) / kWeeksPerBand; }
    int Width() const { return kLeft + std::min(weeks, kWeeksPerBand) * kPitch; }
    // The chart is at least as wide as the calendar, so that its days lie under their columns.
    int ChartWidth() const { return std::max(Width(), kChartMinWidth); }
    int BandHeight() const { return kMonthRow + 5 * kPitch + 8; }
};

// "Nov-26" for the month of day: the date label without its day.
std::string MonthText(QDate day) {
    const std::string label = DateLabel(day);
    return label.substr(label.find('-') + 1);
}

std::string Calendar(const SymbolCoverage& symbol, const Grid& grid) {
    // The room on the right is for a month name over the last column.
    std::string svg = "<svg class=\"calendar\" width=\"" + std::to_string(grid.Width() + 30) +
                      "\" height=\"" + std::to_string(grid.Bands() * grid.BandHeight()) + "\">";
    for (int band = 0; band < grid.Bands(); ++band) {
        const int top = band * grid.BandHeight() + kMonthRow;
        for (int row = 0; row < 5; ++row)
            svg += "<text x=\"0\" y=\"" + std::to_string(top + row * kPitch + 10) + "\">" +
                   kWeekdays[row] + "</text>";
    }
    // Each band names its first month too, unless the next month starts too close to it
    // for both names to fit: that one then names the band.
    struct MonthName {
        int band;
        int x;
        int top;
        QDate day;
    };
    std::vector<MonthName> months;
    int lastMonth = 0;
    for (const DayCoverage& day : symbol.days) {
        const int week = grid.Week(day.day);
        const int band = week / kWeeksPerBand;
        const int x = kLeft + (week % kWeeksPerBand) * kPitch;
        const int top = band * grid.BandHeight() + kMonthRow;
        const int month = day.day.year() * 12 + day.day.month();
        if (month != lastMonth || months.empty() || months.back().band != band) {
            lastMonth = month;
            if (!months.empty() && months.back().band == band &&
                x - months.back().x < kMonthColumns * kPitch)
                months.pop_back();
            months.push_back({band, x, top, day.day});
        }
        svg += "<rect class=\"" + StateName(day.state).toStdString() + "\" x=\"" +
               std::to_string(x) + "\" y=\"" +
               std::to_string(top + (day.day.dayOfWeek() - 1) * kPitch) + "\" width=\"" +
               std::to_string(kCell) + "\" height=\"" + std::to_string(kCell) + "\"><title>" +
               Escaped(DayTitle(symbol, day)) + "</title></rect>";
    }
    for (const MonthName& name : months)
        svg += "<text x=\"" + std::to_string(name.x) + "\" y=\"" + std::to_string(name.top - 4) +
               "\">" + MonthText(name.day) + "</text>";
    return svg + "</svg>";
}

bool HoleBetween(const DayCoverage& day, int from, int to) {
    return std::any_of(day.holes.begin(), day.holes.end(),
                       [&](const Span& hole) { return hole.from >= from && hole.to <= to; });
}

// The prices as one path that lifts the pen over every week-day without quotes, over every
// hole, and on both sides of a short day, whose missing part may lie at either end; a
// stretch of one point is drawn as a dot.
std::string Chart(const SymbolCoverage& symbol, const Grid& grid) {
    double low = 0, high = 0;
    bool any = false;
    for (const DayCoverage& day : symbol.days) {
        for (const PricePoint& point : day.prices) {
            low = any ? std::min(low, point.price) : point.price;
            high = any ? std::max(high, point.price) : point.price;
            any = true;
        }
    }
    if (!any)
        return {};
    const double spread = high > low ? high - low : 1;
    // In week-days from the first Monday: the line runs from the first day's start to the
    // last day's end, whatever week-days the range starts and ends on.
    const auto weekDays = [&](const DayCoverage& day, int minute) {
        return grid.Week(day.day) * 5 + day.day.dayOfWeek() - 1 + minute / 1440.0;
    };
    const double start = weekDays(symbol.days.front(), 0);
    const double xScale =
        (grid.ChartWidth() - kLeft) / (weekDays(symbol.days.back(), 0) + 1 - start);
    const double plotHeight = kChartHeight - kChartBottom - 8;
    std::string path;
    int lastIndex = -2;
    int lastMinute = 0;
    for (int index = 0; index < static_cast<int>(symbol.days.size()); ++index) {
        const DayCoverage& day = symbol.days[static_cast<std::size_t>(index)];
        for (const PricePoint& point : day.prices) {
            const double x = kLeft + (weekDays(day, point.minute) - start) * xScale;
            const double y = 4 + (high - point.price) / spread * plotHeight;
            const bool joined =
                index == lastIndex
                    ? !HoleBetween(day, lastMinute, point.minute)
                    : index == lastIndex + 1 && day.state != DayState::Short &&
                          symbol.days[static_cast<std::size_t>(lastIndex)].state != DayState::Short;
            path += joined ? "L" : (path.empty() ? "M" : "h0M");
            AppendTenths(path, x);
            path += ' ';
            AppendTenths(path, y);
            lastIndex = index;
            lastMinute = point.minute;
        }
    }
    path += "h0";
    const int axisY = kChartHeight - kChartBottom + 2;
    const std::string first = DateLabel(symbol.days.front().day);
    const std::string last = DateLabel(symbol.days.back().day);
    return "<svg class=\"chart\" role=\"img\" width=\"" + std::to_string(grid.ChartWidth()) +
           "\" height=\"" + std::to_string(kChartHeight) + "\"><title>" + Escaped(symbol.symbol) +
           " price, " + first + " to " + last + "</title>" + "<line class=\"axis\" x1=\"" +
           std::to_string(kLeft) + "\" x2=\"" + std::to_string(grid.ChartWidth()) + "\" y1=\"" +
           std::to_string(axisY) + "\" y2=\"" + std::to_string(axisY) + "\"/>" +
           "<text x=\"0\" y=\"12\">" + Price(high) + "</text><text x=\"0\" y=\"" +
           Number(4 + plotHeight) + "\">" + Price(low) + "</text><text x=\"" +
           std::to_string(kLeft) + "\" y=\"" + std::to_string(kChartHeight - 3) + "\">" + first +
           "</text><text x=\"" + std::to_string(grid.ChartWidth()) + "\" y=\"" +
           std::to_string(kChartHeight - 3) + "\" text-anchor=\"end\">" + last +
           "</text><path class=\"price\" d=\"" + path + "\"/></svg>";
}

std::string Legend() {
    std::string svg = "<svg class=\"legend\" role=\"img\" width=\"652\" height=\"16\">"
                      "<title>What the colours mean</title>";
    int x = 0;
    for (DayState state : kStates) {
        const std::string name = StateName(state).toStdString();
        svg += "<rect class=\"" + name + "\" x=\"" + std::to_string(x) +
               "\" y=\"2\" width=\"12\" height=\"12\"/><text x=\"" + std::to_string(x + 16) +
               "\" y=\"12\">" + name + "</text>";
        x += 92;
    }
    return svg + "</svg>";
}

} // namespace

std::string CoverageHtmlSection(const SymbolCoverage& symbol) {
    std::string html = "<section><h2>" + Escaped(symbol.symbol) + "</h2><p>" +
                       Escaped(SummaryLine(symbol)) + "</p>";
    if (!symbol.days.empty()) {
        const Grid grid(symbol);
        html += Calendar(symbol, grid) + "<br>" + Chart(symbol, grid);
    }
    std::string faults;
    for (const QString& line : FaultLines(symbol))
        faults += "<li>" + Escaped(line) + "</li>";
    if (!faults.empty())
        html += "<ul class=\"faults\">" + faults + "</ul>";
    return html + "</section>\n";
}

std::string CoverageHtmlHead(const QString& title) {
    return "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
           "<meta name=\"viewport\" content=\"width=device-width\"><title>" +
           Escaped(title) + "</title><style>" + kStyle + "</style></head>\n<body>" + kPatterns +
           "<h1>" + Escaped(title) + "</h1>\n";
}

std::string CoverageHtmlTail(long long completeSymbols, long long symbols) {
    return "<div class=\"overall\"><p>" + CountText(completeSymbols).toStdString() + " of " +
           CountText(symbols).toStdString() +
           " symbols complete. Each square is a week-day; hover over it for what it holds. "
           "Holiday closures show as missing. The retry list holds every faulty day but the "
           "holed ones, whose gaps are the service's own: a fetch brings them back.</p>" +
           Legend() + "</div>\n</body></html>\n";
}

} // namespace pellmark
