#include "QuotePage.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <optional>
#include <random>

namespace pellmark {
namespace {

enum class Session { AllDay, UsMarket, EuropeanMarket };

struct Instrument {
    std::string_view stk;
    double base;
    int decimals;
    Session session;
    double stepVolatility; // relative, per five minutes
    int halfSpreadTicks;
};

constexpr double kFx = 0.0004;
constexpr double kStock = 0.0015;
constexpr double kIndex = 0.0006;

// Price levels of mid-2005, so that the pages look like the days they are asked for.
constexpr std::array kInstruments = {
    Instrument{"frxAUDUSD", 0.7650, 4, Session::AllDay, kFx, 2},
    Instrument{"frxUSDJPY", 108.40, 2, Session::AllDay, kFx, 2},
    Instrument{"frxUSDCAD", 1.2480, 4, Session::AllDay, kFx, 2},
    Instrument{"frxUSDCHF", 1.2350, 4, Session::AllDay, kFx, 2},
    Instrument{"frxGBPUSD", 1.8250, 4, Session::AllDay, kFx, 2},
    Instrument{"frxGBPJPY", 197.80, 2, Session::AllDay, kFx, 3},
    Instrument{"frxGBPAUD", 2.3850, 4, Session::AllDay, kFx, 4},
    Instrument{"frxGBPCAD", 2.2770, 4, Session::AllDay, kFx, 4},
    Instrument{"frxGBPCHF", 2.2540, 4, Session::AllDay, kFx, 4},
    Instrument{"frxEURUSD", 1.2280, 4, Session::AllDay, kFx, 1},
    Instrument{"frxEURJPY", 133.10, 2, Session::AllDay, kFx, 2},
    Instrument{"frxEURGBP", 0.6730, 4, Session::AllDay, kFx, 1},
    Instrument{"frxEURCHF", 1.5430, 4, Session::AllDay, kFx, 2},
    Instrument{"USASUNW", 3.80, 2, Session::UsMarket, kStock, 1},
    Instrument{"USAMSFT", 25.10, 2, Session::UsMarket, kStock, 1},
    Instrument{"USAORCL", 12.30, 2, Session::UsMarket, kStock, 1},
    Instrument{"USAINTC", 26.40, 2, Session::UsMarket, kStock, 1},
    Instrument{"USAAAPL", 37.90, 2, Session::UsMarket, kStock, 1},
    Instrument{"USAADBE", 29.80, 2, Session::UsMarket, kStock, 1},
    Instrument{"USAALTR", 21.20, 2, Session::UsMarket, kStock, 1},
    Instrument{"USAAMAT", 16.90, 2, Session::UsMarket, kStock, 1},
    Instrument{"USAAMGN", 60.50, 2, Session::UsMarket, kStock, 2},
    Instrument{"USABEAS", 8.70, 2, Session::UsMarket, kStock, 1},
    Instrument{"USABRCD", 4.10, 2, Session::UsMarket, kStock, 1},
    Instrument{"USABRCM", 35.40, 2, Session::UsMarket, kStock, 1},
    Instrument{"USACHKP", 20.90, 2, Session::UsMarket, kStock, 1},
    Instrument{"USACSCO", 19.30, 2, Session::UsMarket, kStock, 1},
    Instrument{"USACMVT", 25.60, 2, Session::UsMarket, kStock, 1},
    Instrument{"USAEBAY", 35.20, 2, Session::UsMarket, kStock, 1},
    Instrument{"USAINTU", 44.70, 2, Session::UsMarket, kStock, 2},
    Instrument{"USAKLAC", 45.30, 2, Session::UsMarket, kStock, 2},
    Instrument{"USALLTC", 37.10, 2, Session::UsMarket, kStock, 1},
    Instrument{"USAJNPR", 25.40, 2, Session::UsMarket, kStock, 1},
    Instrument{"USAQQQ", 37.20, 2, Session::UsMarket, kStock, 1},
    Instrument{"USAPSFT", 26.50, 2, Session::UsMarket, kStock, 1},
    Instrument{"USAQCOM", 33.60, 2, Session::UsMarket, kStock, 1},
    Instrument{"USAVRSN", 28.30, 2, Session::UsMarket, kStock, 1},
    Instrument{"USAXLNX", 27.90, 2, Session::UsMarket, kStock, 1},
    Instrument{"UK_BSY", 552.00, 2, Session::EuropeanMarket, kStock, 50},
    Instrument{"UK_BT", 211.25, 2, Session::EuropeanMarket, kStock, 25},
    Instrument{"UK_LLOY", 478.50, 2, Session::EuropeanMarket, kStock, 25},
    Instrument{"UK_OOM", 134.75, 2, Session::EuropeanMarket, kStock, 25},
    Instrument{"UK_SMIN", 912.00, 2, Session::EuropeanMarket, kStock, 50},
    Instrument{"DJI", 10480.0, 2, Session::UsMarket, kIndex, 100},
    Instrument{"FCHI", 4210.0, 2, Session::EuropeanMarket, kIndex, 50},
    Instrument{"FTSE", 5020.0, 2, Session::EuropeanMarket, kIndex, 50},
    Instrument{"GDAXI", 4590.0, 2, Session::EuropeanMarket, kIndex, 50},
    Instrument{"IXIC", 2060.0, 2, Session::UsMarket, kIndex, 50},
    Instrument{"SPC", 1196.0, 2, Session::UsMarket, kIndex, 25},
    Instrument{"SSMI", 6180.0, 2, Session::EuropeanMarket, kIndex, 50},
    Instrument{"R_100", 1000.0, 2, Session::AllDay, 0.0050, 10},
    Instrument{"R_75", 1000.0, 2, Session::AllDay, 0.0037, 10},
    Instrument{"R_50", 1000.0, 2, Session::AllDay, 0.0025, 10},
    Instrument{"R_25", 1000.0, 2, Session::AllDay, 0.0012, 10},
};

constexpr CalendarDay kFirstDayWithData{2004, 8, 1};
constexpr int kQuoteInterval = 5 * 60;

const Instrument* FindInstrument(std::string_view stk) {
    const auto found = std::find_if(kInstruments.begin(), kInstruments.end(),
                                    [stk](const Instrument& i) { return i.stk == stk; });
    return found == kInstruments.end() ? nullptr : &*found;
}

// FNV-1a, so that the pages are the same whatever standard library built the service.
std::uint64_t Fnv1a(std::string_view text, std::uint64_t hash = 14695981039346656037ULL) {
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 1099511628211ULL;
    }
    return hash;
}

// The standard distributions differ between libraries; the engine itself does not.
class Walk {
public:
    explicit Walk(std::uint64_t seed) : engine_(seed) {}

    double Uniform() { return static_cast<double>(engine_() >> 11) * 0x1.0p-53; }

    // Roughly normal with unit variance: four uniforms have variance 1/3 around 2.
    double Step() {
        const double sum = Uniform() + Uniform() + Uniform() + Uniform();
        return (sum - 2.0) * std::sqrt(3.0);
    }

private:
    std::mt19937_64 engine_;
};

struct SessionHours {
    int first;
    int last;
};

SessionHours HoursOf(Session session) {
    switch (session) {
    case Session::UsMarket:
        return {14 * 3600 + 30 * 60, 21 * 3600};
    case Session::EuropeanMarket:
        return {8 * 3600, 16 * 3600 + 30 * 60};
    case Session::AllDay:
        break;
    }
    return {0, 24 * 3600 - kQuoteInterval};
}

std::string FormatTicks(long long ticks, int decimals) {
    long long scale = 1;
    for (int i = 0; i < decimals; ++i)
        scale *= 10;
    std::string fraction = std::to_string(ticks % scale);
    fraction.insert(0, static_cast<std::size_t>(decimals) - fraction.size(), '0');
    return std::to_string(ticks / scale) + "." + fraction;
}

std::string FormatTime(int secondOfDay) {
    const int parts[] = {secondOfDay / 3600, secondOfDay / 60 % 60, secondOfDay % 60};
    std::string text;
    for (int part : parts) {
        if (!text.empty())
            text += ':';
        text += static_cast<char>('0' + part / 10);
        text += static_cast<char>('0' + part % 10);
    }
    return text;
}

std::string PageHead(std::string_view stk, std::string_view dateLabel) {
    std::string html = "<html>\n<head>\n<title>Vorn Markets - Hourly view</title>\n</head>\n"
                       "<body bgcolor=\"#ffffff\">\n<p><b>Intraday prices for ";
    html.append(stk).append(" on ").append(dateLabel).append("</b></p>\n");
    return html;
}

std::string PageFoot(std::string_view footNote) {
    return "<p><font size=\"1\">" + std::string(footNote) + "</font></p>\n</body>\n</html>\n";
}

std::string RecordLines(const std::vector<QuoteRecord>& quotes, bool bidAsk = true) {
    std::string lines;
    for (const QuoteRecord& quote : quotes) {
        lines.append("<br>&nbsp; ").append(FormatTime(quote.secondOfDay)).append(" GMT ");
        lines.append(quote.price);
        if (bidAsk)
            lines.append(" (").append(quote.bid).append(" / ").append(quote.ask).append(")");
        lines.append("\n");
    }
    return lines;
}

std::string PageAroundRecords(std::string_view stk, std::string_view dateLabel,
                              const std::string& recordLines, const PageLayout& layout) {
    return PageHead(stk, dateLabel) + "<p>\n" + layout.beforeRecords +
           "<br>&nbsp; Time Price (Bid / Ask)\n" + recordLines + layout.afterRecords + "</p>\n" +
           PageFoot(layout.footNote);
}

} // namespace

bool IsKnownSymbol(std::string_view stk) {
    return FindInstrument(stk) != nullptr;
}

std::vector<QuoteRecord> DayQuotes(std::string_view stk, std::string_view dateLabel,
                                   ServiceMoment now) {
    const Instrument* instrument = FindInstrument(stk);
    const auto day = ParseDateLabel(dateLabel);
    if (!instrument || !day || *day < kFirstDayWithData || *day > now.day || IsWeekend(*day))
        return {};

    const long dayNumber = DayNumber(*day);
    const std::uint64_t symbolHash = Fnv1a(instrument->stk);
    Walk walk(Fnv1a(std::to_string(dayNumber), Fnv1a("|", symbolHash)));

    // Slow swings over the months, so that neighbouring days open near each other.
    const double phase = static_cast<double>(symbolHash % 1000) / 1000.0 * 6.283;
    double price = instrument->base * (1.0 + 0.06 * std::sin(dayNumber / 45.0 + phase)) *
                   (1.0 + 0.004 * (walk.Uniform() - 0.5));

    const double scale = std::pow(10.0, instrument->decimals);
    const auto [first, last] = HoursOf(instrument->session);
    std::vector<QuoteRecord> quotes;
    // Today's quotes stop at the service's now: the day is still running.
    const int end = *day == now.day ? std::min(last, now.secondOfDay) : last;
    for (int second = first; second <= end; second += kQuoteInterval) {
        price *= 1.0 + instrument->stepVolatility * walk.Step();
        const long long ticks = std::llround(price * scale);
        quotes.push_back({second, FormatTicks(ticks, instrument->decimals),
                          FormatTicks(ticks - instrument->halfSpreadTicks, instrument->decimals),
                          FormatTicks(ticks + instrument->halfSpreadTicks, instrument->decimals)});
    }
    return quotes;
}

std::string QuotePageHtml(std::string_view stk, std::string_view dateLabel, ServiceMoment now) {
    return PaddedQuotePageHtml(stk, dateLabel, 0, now);
}

std::vector<QuoteRecord> PaddedDayQuotes(std::string_view stk, std::string_view dateLabel,
                                         std::size_t minimumBytes, ServiceMoment now) {
    const auto day = DayQuotes(stk, dateLabel, now);
    const std::size_t dayBytes = RecordLines(day).size();
    std::vector<QuoteRecord> quotes = day;
    for (std::size_t bytes = dayBytes; dayBytes > 0 && bytes < minimumBytes; bytes += dayBytes)
        quotes.insert(quotes.end(), day.begin(), day.end());
    return quotes;
}

// The same bytes as laying out PaddedDayQuotes, but the day's lines are formatted once and
// repeated: pages of many megabytes are asked for by tests on slow sanitizer builds.
std::string PaddedQuotePageHtml(std::string_view stk, std::string_view dateLabel,
                                std::size_t minimumBytes, ServiceMoment now) {
    const auto day = DayQuotes(stk, dateLabel, now);
    if (day.empty())
        return NoDataPageHtml(stk, dateLabel);
    const std::string dayLines = RecordLines(day);
    std::string lines;
    lines.reserve(std::max(minimumBytes, dayLines.size()) + dayLines.size());
    do
        lines += dayLines;
    while (lines.size() < minimumBytes);
    return PageAroundRecords(stk, dateLabel, lines, PageLayout{});
}

std::string LaidOutPageHtml(std::string_view stk, std::string_view dateLabel,
                            const std::vector<QuoteRecord>& quotes, const PageLayout& layout) {
    if (quotes.empty())
        return NoDataPageHtml(stk, dateLabel);
    return PageAroundRecords(stk, dateLabel, RecordLines(quotes, layout.bidAsk), layout);
}

std::string NoDataPageHtml(std::string_view stk, std::string_view dateLabel) {
    return PageHead(stk, dateLabel) + "<p>" + std::string(kNoDataPageText) +
           " for this symbol and date.</p>\n" + PageFoot(PageLayout{}.footNote);
}

std::string EmptyRecordsPageHtml(std::string_view stk, std::string_view dateLabel,
                                 ServiceMoment now) {
    const std::size_t records = DayQuotes(stk, dateLabel, now).size();
    if (records == 0)
        return NoDataPageHtml(stk, dateLabel);
    std::string lines;
    for (std::size_t i = 0; i < records; ++i)
        lines += "<br>&nbsp; \n";
    return PageAroundRecords(stk, dateLabel, lines, PageLayout{});
}

std::string ShortPageHtml() {
    return "<html>\n<head><title>Vorn Markets</title></head>\n"
           "<body><p>The server is busy, please try again later.</p></body>\n</html>\n";
}

} // namespace pellmark
