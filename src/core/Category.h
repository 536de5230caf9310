// The download category: which symbol list a run takes and how the request names a symbol.
#pragma once

namespace pellmark {

enum class Category { None, Forex, Stocks, Indices };

} // namespace pellmark
