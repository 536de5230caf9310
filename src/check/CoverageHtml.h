// The check as one self-contained HTML page: for each symbol a calendar of the range (weeks as
// columns, Monday to Friday as rows) with each day coloured by its state and named in a
// tooltip, and under it the symbol's price over the range, broken where data is missing.
// Inline CSS and SVG only: nothing is loaded, and nothing needs JavaScript. The colours are
// told apart by lightness and pattern as well as hue, for colour-blind readers and in print.
#pragma once

#include "check/DayCoverage.h"

#include <QString>

#include <string>

namespace pellmark {

// The page in UTF-8 as three pieces, so that it can be written symbol by symbol: the head,
// one section per symbol, and the tail, which the page shows under the title. title names
// what was checked, such as the folder.
std::string CoverageHtmlHead(const QString& title);
std::string CoverageHtmlSection(const SymbolCoverage& symbol);
std::string CoverageHtmlTail(long long completeSymbols, long long symbols);

} // namespace pellmark
