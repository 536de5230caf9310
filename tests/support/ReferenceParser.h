// The page walk written out step by step, re-splitting the whole working text after every
// cut. Slow on purpose and plainly right; the fast parser is held to its output.
#pragma once

#include "page/IntradayParser.h"

#include <string_view>

namespace pellmark::reference {

Lines ParseIntradayPage(std::string_view pageText, LineOrder lineOrder, std::string_view separator);

} // namespace pellmark::reference
