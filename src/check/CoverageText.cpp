#include "check/CoverageText.h"

#include "core/DateList.h"
#include "core/ErrorsList.h"

#include <QLocale>

namespace pellmark {
namespace {

QString Label(const DayCoverage& day) {
    return QString::fromStdString(DateLabel(day.day));
}

QString HolesText(const DayCoverage& day) {
    QStringList holes;
    for (const Span& hole : day.holes)
        holes << QStringLiteral("hole %1-%2").arg(TimeText(hole.from), TimeText(hole.to));
    return holes.join(QStringLiteral(", "));
}

QString QuotesOfUsual(const DayCoverage& day) {
    return QStringLiteral("%1 of %2 quotes").arg(CountText(day.quotes), CountText(day.usualQuotes));
}

QString UnreadableText(const DayCoverage& day) {
    return day.readError.isEmpty() ? QStringLiteral("%1 of %2 lines")
                                         .arg(CountText(day.unreadableLines), CountText(day.lines))
                                   : day.readError;
}

// What the service has of a day the market record speaks for.
QString ServiceText(const DayCoverage& day) {
    return day.quotes == 0 ? QStringLiteral("no data at the service")
                           : QStringLiteral("in part at the service, %1 quotes").arg(day.quotes);
}

QString WithHoles(QString text, const DayCoverage& day) {
    return day.holes.empty() ? text : text + QStringLiteral(", ") + HolesText(day);
}

} // namespace

QString StateName(DayState state) {
    switch (state) {
    case DayState::Complete:
        return QStringLiteral("complete");
    case DayState::Missing:
        return QStringLiteral("missing");
    case DayState::Empty:
        return QStringLiteral("empty");
    case DayState::Unreadable:
        return QStringLiteral("unreadable");
    case DayState::Short:
        return QStringLiteral("short");
    case DayState::Holed:
        return QStringLiteral("holed");
    case DayState::AtService:
        return QStringLiteral("service");
    case DayState::Running:
        return QStringLiteral("running");
    }
    return {};
}

QString TimeText(int minute) {
    return QStringLiteral("%1:%2")
        .arg(minute / 60, 2, 10, QLatin1Char('0'))
        .arg(minute % 60, 2, 10, QLatin1Char('0'));
}

QString CountText(long long count) {
    return QLocale(QLocale::English).toString(count);
}

QString FaultLine(const SymbolCoverage& symbol, const DayCoverage& day) {
    QString fault;
    switch (day.state) {
    case DayState::Complete:
    case DayState::Missing:
    case DayState::Empty:
        fault = StateName(day.state);
        break;
    case DayState::Unreadable:
        fault = (day.readError.isEmpty() ? QStringLiteral("unreadable ")
                                         : QStringLiteral("unreadable: ")) +
                UnreadableText(day);
        break;
    case DayState::Short:
        fault = WithHoles(QStringLiteral("short ") + QuotesOfUsual(day), day);
        break;
    case DayState::Holed:
        fault = HolesText(day);
        break;
    case DayState::Running:
        fault = QStringLiteral("running, %1 quotes so far").arg(day.quotes);
        break;
    case DayState::AtService:
        fault = ServiceText(day);
        break;
    }
    return symbol.symbol + u' ' + Label(day) + u' ' + fault;
}

QStringList FaultLines(const SymbolCoverage& symbol) {
    QStringList lines;
    for (std::size_t first = 0; first < symbol.days.size(); ++first) {
        const DayCoverage& day = symbol.days[first];
        if (day.state == DayState::Complete)
            continue;
        std::size_t last = first;
        while (day.state == DayState::Missing && last + 1 < symbol.days.size() &&
               symbol.days[last + 1].state == DayState::Missing)
            ++last;
        if (last == first)
            lines << FaultLine(symbol, day);
        else
            lines << QStringLiteral("%1 %2..%3 missing, %4 days")
                         .arg(symbol.symbol, Label(day), Label(symbol.days[last]),
                              CountText(static_cast<long long>(last - first + 1)));
        first = last;
    }
    if (!symbol.layoutHint.isEmpty())
        lines << symbol.symbol + QStringLiteral(": ") + symbol.layoutHint;
    for (const QDate day : symbol.weekendFiles)
        lines << QStringLiteral("%1 %2 is a %3: its day file is not checked")
                     .arg(symbol.symbol, QString::fromStdString(DateLabel(day)),
                          QLocale(QLocale::English).dayName(day.dayOfWeek()));
    return lines;
}

QString DayTitle(const SymbolCoverage& symbol, const DayCoverage& day) {
    QString detail;
    switch (day.state) {
    case DayState::Complete:
        detail = CountText(day.quotes) + QStringLiteral(" quotes");
        break;
    case DayState::Missing:
        detail = QStringLiteral("no day file");
        break;
    case DayState::Empty:
        detail = QStringLiteral("no quote");
        break;
    case DayState::Unreadable:
        detail = day.readError.isEmpty() ? UnreadableText(day) + QStringLiteral(" not quotes")
                                         : day.readError;
        break;
    case DayState::Short:
        detail = WithHoles(QuotesOfUsual(day), day);
        break;
    case DayState::Holed:
        detail = HolesText(day);
        break;
    case DayState::Running:
        detail = QStringLiteral("%1 quotes so far").arg(day.quotes);
        break;
    case DayState::AtService:
        detail = ServiceText(day);
        break;
    }
    return symbol.symbol + u' ' + Label(day) + QStringLiteral(": ") + StateName(day.state) +
           QStringLiteral(", ") + detail;
}

QString SummaryLine(const SymbolCoverage& symbol) {
    if (symbol.days.empty())
        return symbol.symbol + QStringLiteral(": no day files in the range");
    int complete = 0;
    int holes = 0;
    long long quotes = 0;
    for (const DayCoverage& day : symbol.days) {
        complete += day.state == DayState::Complete;
        quotes += day.quotes;
        if (day.state == DayState::Short || day.state == DayState::Holed)
            holes += static_cast<int>(day.holes.size());
    }
    QString line =
        QStringLiteral("%1: %2 of %3 days complete, %4 quotes, %5 %6")
            .arg(symbol.symbol, CountText(complete),
                 CountText(static_cast<long long>(symbol.days.size())), CountText(quotes),
                 CountText(holes), holes == 1 ? QStringLiteral("hole") : QStringLiteral("holes"));
    if (symbol.usualQuotes > 0)
        line += QStringLiteral("; usual day %1 quotes from %2 to %3")
                    .arg(CountText(symbol.usualQuotes), TimeText(symbol.usualSpan.from),
                         TimeText(symbol.usualSpan.to));
    if (symbol.irregular)
        line += QStringLiteral(", at irregular times");
    else if (symbol.usualSpacing > 0)
        line += QStringLiteral(", every %1 min").arg(symbol.usualSpacing);
    return line;
}

bool AllComplete(const SymbolCoverage& symbol) {
    return !symbol.days.empty() &&
           std::all_of(symbol.days.begin(), symbol.days.end(), [](const DayCoverage& day) {
               return day.state == DayState::Complete || day.state == DayState::Running ||
                      day.state == DayState::AtService;
           });
}

std::string RetryItems(const SymbolCoverage& symbol) {
    std::string items;
    const std::string name = symbol.symbol.toStdString();
    for (const DayCoverage& day : symbol.days) {
        if (FetchMayMend(day.state))
            items += FailedItemText({name, DateLabel(day.day)}) + "\r\n";
    }
    return items;
}

} // namespace pellmark
