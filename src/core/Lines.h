// The one container of the program: an ordered list of text lines. Symbol lists, date
// lists, page lines and a day's quotes are all kept as one.
#pragma once

#include <string>
#include <vector>

namespace pellmark {

using Lines = std::vector<std::string>;

} // namespace pellmark
