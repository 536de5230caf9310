// The quote service's day. Its pages give GMT times and its days end at midnight GMT, so
// "today" is the GMT date wherever the program runs, and a day file saved before its day
// ended in GMT holds only the quotes up to then: a running day, fetched again later.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

#include <functional>

namespace pellmark {

// The clock a program reads at its start and hands down, so that no library reads the
// machine's own: the service's day then (the GMT date), which the whole program goes by, and
// the time of each moment after, which files it saves are dated with. Tests give one of their
// own.
// True when day, whose file is at path (empty when it has none), is a running day: today, the
// service's day handed in, or a day saved before it ended. Every program that tells running
// days apart asks here, directly or through ServiceClock::Running.
bool DayIsRunning(const QString& path, QDate day, QDate today);

class ServiceClock {
public:
    using Source = std::function<QDateTime()>;

    // The machine's clock.
    static ServiceClock Machine();
    // A clock that stays at now.
    static ServiceClock At(const QDateTime& now);
    explicit ServiceClock(Source now);

    QDate Today() const { return today_; }
    QDateTime Now() const { return now_(); }
    // A day whose quotes may still grow: today, or a day whose file (savedFile, when given)
    // was last written before the day ended in GMT. Its modification time tells it, so no
    // record is kept beside the files, and the files the window saved are judged the same way.
    // A copy made without keeping times is taken as whole, and so is a file dated before its
    // day began.
    bool Running(QDate day, const QString& savedFile = {}) const;
    // Dates a file just saved by this clock, the one its today came from: a file on a share
    // would otherwise carry the server's clock, and a day saved while running could pass for
    // whole. A link is left as it is; a failure leaves the file system's time.
    void DateSaved(const QString& path) const;

private:
    Source now_;
    QDate today_;
};

} // namespace pellmark
