// The clock of the zone an export writes its times in. The service's times are GMT; a zone
// such as Europe/Berlin moves each of them by its offset from GMT then, daylight saving
// included, and its days begin at its own midnight. Looked up once per GMT day, so that
// converting a quote costs a glance at one or two offsets.
#pragma once

#include <QDate>
#include <QString>
#include <QTimeZone>

#include <optional>
#include <utility>
#include <vector>

namespace pellmark {

// A GMT time in a zone: its offset and where it falls on the zone's calendar.
struct ZoneTime {
    int offset = 0;   // seconds the zone is ahead of GMT
    int dayShift = 0; // the zone's day less the GMT day: -1, 0 or 1
    int second = 0;   // of the zone's day
};

// The offsets in force over one GMT day, each from a second of that day on (the first from 0).
class DayOffsets {
public:
    explicit DayOffsets(std::vector<std::pair<int, int>> pieces) : pieces_(std::move(pieces)) {}
    ZoneTime At(int gmtSecond) const;

private:
    std::vector<std::pair<int, int>> pieces_;
};

class ZoneClock {
public:
    // GMT itself: every time as the service gives it.
    ZoneClock() = default;
    // The zone of an IANA name ("Europe/Berlin") or a fixed offset ("Etc/GMT-2"); empty when
    // there is none by that name. A zone that is GMT all year ("UTC") is GMT.
    static std::optional<ZoneClock> Named(const QString& name);
    // A name the user may have meant, for a refusal: the known zone that differs only in
    // case, or in its last part's spelling by a letter or two; empty when none is that close.
    static QString Suggestion(const QString& name);

    // "GMT", or the zone's IANA name.
    QString Name() const;
    bool IsGmt() const { return !zone_.isValid(); }
    DayOffsets Offsets(QDate gmtDay) const;
    // Its offsets over the days a day file can name, 1970 to 2069: from each time (seconds
    // since 1970) on, the seconds it is ahead of GMT; the first from long before 1970.
    std::vector<std::pair<long long, int>> History() const;

private:
    explicit ZoneClock(QTimeZone zone) : zone_(std::move(zone)) {}
    QTimeZone zone_; // invalid: GMT
};

} // namespace pellmark
