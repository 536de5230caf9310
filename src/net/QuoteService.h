// Where the quote service lives and how its hourly-view form is addressed.
#pragma once

#include <string_view>

namespace pellmark {

inline constexpr std::string_view kServiceDomain = "vorn.example";
inline constexpr std::string_view kDefaultHostLabel = "www";
inline constexpr std::string_view kHourlyViewPath = "//e/c_viewhourly/o_cgi_.htm";
inline constexpr std::string_view kFormHeaders =
    "Content-Type: application/x-www-form-urlencoded\r\n";

} // namespace pellmark
