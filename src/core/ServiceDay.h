// The quote service's day. Its pages give GMT times and its days end at midnight GMT, so
// "today" is the GMT date wherever the program runs, and a day file saved before its day
// ended in GMT holds only the quotes up to then: a running day, fetched again later.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

namespace pellmark {

// The GMT date of now.
QDate ServiceToday(const QDateTime& now = QDateTime::currentDateTimeUtc());

// True when the file at path was last written before day ended in GMT. Its modification
// time tells it, so no record is kept beside the files, and the files the window saved are
// judged the same way. A copy made without keeping times is taken as whole, and so is a file
// dated before its day began.
bool SavedWhileRunning(const QString& path, QDate day);

// True when day, whose file is at path (empty when it has none), is a running day: today, the
// service's day handed in, or a day saved before it ended. Every program that tells running
// days apart asks here.
bool DayIsRunning(const QString& path, QDate day, QDate today);

// Dates a file just saved by this program's clock, the one its today came from: a file on a
// share would otherwise carry the server's clock, and a day saved while running could pass
// for whole. A link is left as it is; a failure leaves the file system's time.
void DateSavedFile(const QString& path, const QDateTime& now = QDateTime::currentDateTimeUtc());

} // namespace pellmark
