// The symbols each category starts with: the window's symbol lists and pellmark-batch's
// default, in the quote service's own codes.
#pragma once

#include "core/Category.h"

#include <string>
#include <vector>

namespace pellmark {

std::vector<std::string> DefaultSymbols(Category category);

} // namespace pellmark
