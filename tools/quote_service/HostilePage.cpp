#include "HostilePage.h"

namespace pellmark {

namespace {

constexpr int kReopenedElements = 1000;

std::string Repeated(std::string_view text, int count) {
    std::string out;
    out.reserve(text.size() * static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        out += text;
    return out;
}

std::vector<QuoteRecord> FirstRecords(std::vector<QuoteRecord> day, int count) {
    std::vector<QuoteRecord> quotes;
    for (std::size_t i = 0; !day.empty() && quotes.size() < static_cast<std::size_t>(count); ++i)
        quotes.push_back(day[i % day.size()]);
    return quotes;
}

} // namespace

std::string HostilePageHtml(HostileLayout layout, int count, std::string_view stk,
                            std::string_view dateLabel, ServiceMoment now) {
    std::vector<QuoteRecord> quotes = DayQuotes(stk, dateLabel, now);
    PageLayout page;
    switch (layout) {
    case HostileLayout::NoParenRecords:
        quotes = FirstRecords(std::move(quotes), count);
        page.bidAsk = false;
        page.footNote = "Quotes (c) 2005 Vorn Markets";
        break;
    case HostileLayout::NestedDivs:
        page.beforeRecords = Repeated("<div>", count);
        page.afterRecords = Repeated("</div>", count);
        break;
    case HostileLayout::ManyAttributes:
        page.beforeRecords = "<span";
        for (int i = 0; i < count; ++i)
            page.beforeRecords += " a" + std::to_string(i) + "=\"" + std::to_string(i) + "\"";
        page.beforeRecords += ">";
        page.afterRecords = "</span>";
        break;
    case HostileLayout::UnclosedFonts:
        page.beforeRecords = Repeated("<font>", count);
        break;
    case HostileLayout::ReopenedFormatting:
        page.beforeRecords = "<p>";
        for (int i = 0; i < kReopenedElements; ++i)
            page.beforeRecords += "<b id=" + std::to_string(i) + ">";
        page.beforeRecords += Repeated("<p>x", count);
        break;
    }
    return LaidOutPageHtml(stk, dateLabel, quotes, page);
}

} // namespace pellmark
