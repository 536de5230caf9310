// Which comes first on a quote line, the time or the price: the layout with which the parser
// writes a day's lines and the readers of day files split them again.
#pragma once

namespace pellmark {

enum class LineOrder { TimeFirst, PriceFirst };

} // namespace pellmark
