// Keeps the hidden browser's cookie store to a browser's size. libcurl keeps every cookie an
// answer sets and matches each request against all of them; dropping the oldest beyond the
// limit after each answer keeps the cost of a request flat however many answers set cookies.
#pragma once

#include <curl/curl.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>

namespace pellmark {

// A browser keeps about 180 per site.
inline constexpr std::size_t kMostCookies = 300;

class CookieLimit {
public:
    explicit CookieLimit(std::size_t most = kMostCookies) : most_(most) {}

    // Drops the oldest cookies of easy's store beyond the limit; a cookie's age is when it
    // was first seen, and setting it again does not make it younger.
    void Trim(CURL* easy);

private:
    std::size_t most_;
    std::uint64_t nextAge_ = 0;
    // Cookie key (domain, path, name) -> age, for the cookies in the store after the last trim.
    std::unordered_map<std::string, std::uint64_t> ages_;
};

} // namespace pellmark
