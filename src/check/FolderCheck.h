// Checks the day files of a save folder: for each symbol, every week-day of the range read and
// judged (see DayCoverage.h), with a sample of its prices kept for a chart.
#pragma once

#include "check/DayCoverage.h"
#include "core/Result.h"
#include "core/ServiceDay.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>
#include <string>
#include <vector>

namespace pellmark {

struct CheckOptions {
    QString folder; // only its entries named SYMBOL-d-mmm-yy.txt are looked at
    // The layout the day files were written in.
    LineOrder order = LineOrder::PriceFirst;
    std::string separator = " - ";
    QStringList symbols; // exact names, checked in this order; empty: every symbol found
    // The range; an invalid bound is the symbol's first or last day file. Days after the
    // clock's today are checked only when they have a day file: they are never missing.
    QDate from;
    QDate to;
    // About how many prices of a symbol are kept for its chart, over the whole range.
    int chartPoints = 1600;
};

// The symbols in the given order, or by name when none were given; a failure when the folder
// cannot be read. A symbol asked for without any day file, and with no range given, has no
// days at all. Each day's prices hold only the chart sample: evenly spread quotes, the first
// and last of the day, and the quotes either side of each long gap. The clock tells the
// running days. What the folder's market record says of a day is not read here
// (folder/ServiceDays.h marks it).
Result<std::vector<SymbolCoverage>> CheckFolder(const CheckOptions& options,
                                                const ServiceClock& clock);

// The same check, handing each symbol to onSymbol as soon as it is judged and keeping none,
// so that a folder of any size takes the memory of its largest symbol only.
Done CheckFolderEach(const CheckOptions& options, const ServiceClock& clock,
                     const std::function<void(SymbolCoverage&&)>& onSymbol);

} // namespace pellmark
