#include "export/ZoneClock.h"

#include <QDateTime>

#include <algorithm>

namespace pellmark {
namespace {

constexpr int kSecondsPerDay = 86400;

// Levenshtein distance, stopping early once it passes limit.
int EditDistance(const QString& a, const QString& b, int limit) {
    if (std::abs(a.size() - b.size()) > limit)
        return limit + 1;
    std::vector<int> previous(static_cast<std::size_t>(b.size()) + 1), current(previous.size());
    for (std::size_t j = 0; j < previous.size(); ++j)
        previous[j] = static_cast<int>(j);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        current[0] = static_cast<int>(i);
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const auto k = static_cast<std::size_t>(j);
            current[k] = std::min({previous[k] + 1, current[k - 1] + 1,
                                   previous[k - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
        }
        std::swap(previous, current);
    }
    return previous.back();
}

} // namespace

ZoneTime DayOffsets::At(int gmtSecond) const {
    auto piece = pieces_.begin();
    while (piece + 1 != pieces_.end() && (piece + 1)->first <= gmtSecond)
        ++piece;
    const int local = gmtSecond + piece->second;
    const int shift = local < 0 ? -1 : local >= kSecondsPerDay ? 1 : 0;
    return {piece->second, shift, local - shift * kSecondsPerDay};
}

std::optional<ZoneClock> ZoneClock::Named(const QString& name) {
    QTimeZone zone(name.toUtf8());
    if (!zone.isValid())
        return std::nullopt;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    if (!zone.hasTransitions() && zone.offsetFromUtc(now) == 0)
        return ZoneClock();
    return ZoneClock(std::move(zone));
}

QString ZoneClock::Suggestion(const QString& name) {
    const QString city = name.section(u'/', -1);
    QString best;
    // One letter off in a short name is already another word.
    int bestDistance = city.size() >= 6 ? 3 : 2;
    for (const QByteArray& id : QTimeZone::availableTimeZoneIds()) {
        const QString known = QString::fromUtf8(id);
        if (known.compare(name, Qt::CaseInsensitive) == 0)
            return known;
        const int distance = EditDistance(known.section(u'/', -1).toLower(), city.toLower(), 2);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = known;
        }
    }
    return best;
}

QString ZoneClock::Name() const {
    return IsGmt() ? QStringLiteral("GMT") : QString::fromUtf8(zone_.id());
}

DayOffsets ZoneClock::Offsets(QDate gmtDay) const {
    if (IsGmt())
        return DayOffsets({{0, 0}});
    const QDateTime start(gmtDay, QTime(0, 0), Qt::UTC);
    const QDateTime end = start.addDays(1);
    std::vector<std::pair<int, int>> pieces = {{0, zone_.offsetFromUtc(start)}};
    for (QTimeZone::OffsetData change = zone_.nextTransition(start);
         change.atUtc.isValid() && change.atUtc < end; change = zone_.nextTransition(change.atUtc))
        pieces.emplace_back(static_cast<int>(start.secsTo(change.atUtc)), change.offsetFromUtc);
    return DayOffsets(std::move(pieces));
}

std::vector<std::pair<long long, int>> ZoneClock::History() const {
    constexpr long long kLongBefore = -(1LL << 40);
    if (IsGmt())
        return {{kLongBefore, 0}};
    const QDateTime from(QDate(1970, 1, 1), QTime(0, 0), Qt::UTC);
    const QDateTime to(QDate(2070, 1, 1), QTime(0, 0), Qt::UTC);
    std::vector<std::pair<long long, int>> history = {{kLongBefore, zone_.offsetFromUtc(from)}};
    for (const QTimeZone::OffsetData& change : zone_.transitions(from, to))
        history.emplace_back(change.atUtc.toSecsSinceEpoch(), change.offsetFromUtc);
    return history;
}

} // namespace pellmark
