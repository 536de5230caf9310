#include "net/CookieLimit.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace pellmark {

namespace {

struct StoredCookie {
    std::string line; // the store's own Netscape cookie-file line
    std::string key;
    std::uint64_t age = 0;
};

// Domain, path and name tell cookies apart (fields 1, 3 and 6 of a Netscape line).
std::string CookieKey(std::string_view line) {
    std::string key;
    for (int field = 0; field < 6; ++field) {
        const std::size_t tab = line.find('\t');
        if (field == 0 || field == 2 || field == 5) {
            key.append(line.substr(0, tab));
            key += '\t';
        }
        if (tab == std::string_view::npos)
            break;
        line.remove_prefix(tab + 1);
    }
    return key;
}

} // namespace

void CookieLimit::Trim(CURL* easy) {
    curl_slist* list = nullptr;
    if (curl_easy_getinfo(easy, CURLINFO_COOKIELIST, &list) != CURLE_OK)
        return;
    std::vector<StoredCookie> cookies;
    for (const curl_slist* item = list; item; item = item->next) {
        StoredCookie cookie{item->data, CookieKey(item->data)};
        const auto known = ages_.find(cookie.key);
        cookie.age = known != ages_.end() ? known->second : nextAge_++;
        cookies.push_back(std::move(cookie));
    }
    curl_slist_free_all(list);

    if (cookies.size() > most_) {
        std::sort(cookies.begin(), cookies.end(),
                  [](const StoredCookie& a, const StoredCookie& b) { return a.age > b.age; });
        cookies.resize(most_);
        curl_easy_setopt(easy, CURLOPT_COOKIELIST, "ALL");
        for (const StoredCookie& cookie : cookies)
            curl_easy_setopt(easy, CURLOPT_COOKIELIST, cookie.line.c_str());
    }
    ages_.clear();
    for (const StoredCookie& cookie : cookies)
        ages_.emplace(cookie.key, cookie.age);
}

} // namespace pellmark
