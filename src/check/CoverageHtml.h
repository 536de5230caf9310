// The check as one self-contained HTML page: for each symbol a calendar of the range (weeks as
// columns, Monday to Friday as rows) with each day coloured by its state and named in a
// tooltip, and under it the symbol's price over the range, broken where data is missing.
// Inline CSS and SVG only: nothing is loaded, and nothing needs JavaScript. The colours are
// told apart by lightness and pattern as well as hue, for colour-blind readers and in print.
#pragma once

#include "check/DayCoverage.h"

#include <QString>

#include <string>
#include <vector>

namespace pellmark {

// UTF-8. title names what was checked, such as the folder.
std::string CoverageHtml(const QString& title, const std::vector<SymbolCoverage>& symbols);

} // namespace pellmark
