#include "export/ExportReport.h"

#include "core/DateList.h"

namespace pellmark {
namespace {

QString IsoDay(QDate day) {
    return day.toString(Qt::ISODate);
}

QString Days(QDate first, QDate last) {
    return first == last ? IsoDay(first) : IsoDay(first) + " to " + IsoDay(last);
}

QString Plural(long long count, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(count).arg(count == 1 ? one : many);
}

// "; the last day, 8-Dec-26, is still running", and what became of their bars.
QString RunningText(const ExportedSeries& series) {
    const std::vector<QDate>& running = series.running;
    if (running.empty())
        return {};
    QString text;
    if (running.size() == 1 && running.front() == series.lastDay) {
        text = "; the last day, " + QString::fromStdString(DateLabel(running.front())) +
               ", is still running";
    } else {
        QStringList labels;
        for (const QDate day : running)
            labels << QString::fromStdString(DateLabel(day));
        const QString last = labels.takeLast();
        text = labels.isEmpty() ? "; the day " + last + " is still running"
                                : "; the days " + labels.join(QStringLiteral(", ")) + " and " +
                                      last + " are still running";
    }
    const QString whose = running.size() == 1 ? QStringLiteral("its") : QStringLiteral("their");
    if (series.barsLeaveRunning)
        text += ": " + whose + " bars are left out (--with-running-day writes them)";
    else if (series.barsOfRunning)
        text += ": " + whose + " bars hold the quotes so far";
    return text;
}

} // namespace

QString ProblemText(const ExportProblem& problem) {
    if (problem.line == 0)
        return problem.file + ": " + problem.reason;
    return QStringLiteral("%1:%2: %3").arg(problem.file).arg(problem.line).arg(problem.reason);
}

QString WrittenText(const ExportedSeries& series) {
    if (series.symbol.isEmpty())
        return series.path + ": " + Plural(series.rows, "row", "rows") +
               (series.first.isValid() ? ", " + Days(series.first, series.last) : QString()) +
               RunningText(series);
    QString text = series.path + ": " + series.symbol + ": ";
    if (series.daysWritten == 0) {
        text += "up to date";
    } else {
        text += Plural(series.daysWritten, "day", "days") + " written, " +
                Plural(series.rows, "quote", "quotes");
        if (series.bars > 0)
            text += " and " + Plural(series.bars, "bar", "bars");
    }
    text += "; " + Plural(series.daysHeld, "day", "days") + " held";
    if (series.daysHeld > 0)
        text += ", " + Days(series.first, series.last);
    return text + RunningText(series);
}

} // namespace pellmark
