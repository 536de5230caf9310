#include "folder/RunPlan.h"

#include "core/DateList.h"
#include "net/QuoteFetch.h"

#include <QLocale>
#include <QString>

#include <algorithm>
#include <chrono>
#include <map>

namespace pellmark {

namespace {

std::string Count(std::size_t number) {
    return QLocale(QLocale::English).toString(static_cast<qulonglong>(number)).toStdString();
}

std::string Days(std::size_t number) {
    return Count(number) + (number == 1 ? " day" : " days");
}

// "43 s", "12 min", "4 h 47 min", "2 d 3 h", rounded up.
std::string Duration(std::chrono::milliseconds length) {
    using namespace std::chrono;
    const long long secondsUp = ceil<seconds>(length).count();
    if (secondsUp < 60)
        return std::to_string(secondsUp) + " s";
    const long long minutes = (secondsUp + 59) / 60;
    if (minutes < 60)
        return std::to_string(minutes) + " min";
    if (minutes < 24 * 60)
        return std::to_string(minutes / 60) + " h " + std::to_string(minutes % 60) + " min";
    const long long hours = (minutes + 59) / 60;
    return std::to_string(hours / 24) + " d " + std::to_string(hours % 24) + " h";
}

QDate DayOf(const DayItem& item) {
    return DayOfLabel(QString::fromStdString(item.dateLabel), 1970);
}

} // namespace

std::vector<std::string> PlanDayLines(const std::vector<DayItem>& days) {
    std::vector<std::string> order;
    std::map<std::string, std::vector<QDate>> bySymbol;
    for (const DayItem& item : days) {
        auto [symbol, isNew] = bySymbol.try_emplace(item.symbol);
        if (isNew)
            order.push_back(item.symbol);
        symbol->second.push_back(DayOf(item));
    }
    std::vector<std::string> lines;
    for (const std::string& symbol : order) {
        std::vector<QDate>& dates = bySymbol[symbol];
        std::sort(dates.begin(), dates.end());
        std::string line = symbol + ":";
        // A range runs on while the next day asked is the next week-day.
        for (std::size_t first = 0; first < dates.size();) {
            std::size_t last = first;
            const auto nextWeekday = [](QDate day) {
                day = day.addDays(1);
                while (day.dayOfWeek() > 5)
                    day = day.addDays(1);
                return day;
            };
            while (last + 1 < dates.size() && dates[last + 1] == nextWeekday(dates[last]))
                ++last;
            line += (first == 0 ? " " : ", ") + DateLabel(dates[first]);
            if (last > first)
                line += ".." + DateLabel(dates[last]) + " (" + Days(last - first + 1) + ")";
            first = last + 1;
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

std::string PlanSummary(const RunPlan& plan) {
    // Without a round the heal only tells what it finds; it asks none of it.
    const std::size_t least = plan.days.size() + (plan.healRounds > 0 ? plan.healDays.size() : 0);
    const std::size_t most =
        least * kMostFetchesPerDay * static_cast<std::size_t>(1 + std::max(plan.healRounds, 0));
    std::string text = Days(plan.days.size()) + " to ask";
    if (plan.healRounds >= 0)
        text += ", then " + Days(plan.healDays.size()) + " the heal finds incomplete now" +
                (plan.healRounds == 0 ? " and leaves as they are (--heal-rounds 0)" : "");
    return text + ": " + Count(least) + " to " + Count(most) + " requests, " +
           Duration(kFetchPause * least) + " to " + Duration(kFetchPause * most) +
           " at one request every " +
           QString::number(static_cast<double>(kFetchPause.count()) / 1000).toStdString() + " s";
}

} // namespace pellmark
