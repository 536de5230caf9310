// Gathers an export's quotes, in time order, into the days of its zone, and hands each day on
// to the target whole, with its bars of every length the target asked for.
#pragma once

#include "export/ExportTarget.h"

#include <QDate>

#include <vector>

namespace pellmark {

class DayAssembler {
public:
    DayAssembler(ExportTarget& target, std::vector<int> barLengths, bool withRunningDay);
    // Nothing is waiting for the day in hand to end.
    bool Empty() const { return quotes_.empty(); }
    // A quote of day, later than every one added before it.
    void Add(QDate day, const ExportQuote& quote);
    // Hands on the day in hand: no more quotes of it are coming.
    void Flush();

private:
    ExportTarget& target_;
    std::vector<int> barLengths_;
    bool withRunningDay_;
    QDate day_;
    std::vector<ExportQuote> quotes_;
    std::vector<std::vector<ExportBar>> bars_;
};

} // namespace pellmark
