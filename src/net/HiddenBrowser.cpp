#include "net/HiddenBrowser.h"

#include "page/CharsetAscii.h"

#include <algorithm>
#include <cerrno>
#include <memory>

namespace pellmark {

namespace {

constexpr const char* kUserAgent =
    "Mozilla/5.0 (Windows NT 10.0; Win64; x64; rv:115.0) Gecko/20100101 Firefox/115.0";
constexpr const char* kAccept = "Accept: text/html,application/xhtml+xml,*/*;q=0.8";

bool IsHeaderName(std::string_view name) {
    return !name.empty() && std::all_of(name.begin(), name.end(), [](unsigned char c) {
        return c > ' ' && c < 0x7f && c != ':';
    });
}

bool IsNavigableUrl(const std::string& url) {
    // curl would only find out once the transfer runs; a browser refuses such a URL at once.
    std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> parsed(curl_url(), &curl_url_cleanup);
    if (!parsed || curl_url_set(parsed.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK)
        return false;
    char* scheme = nullptr;
    if (curl_url_get(parsed.get(), CURLUPART_SCHEME, &scheme, 0) != CURLUE_OK)
        return false;
    const std::string_view name(scheme);
    const bool web = name == "http" || name == "https";
    curl_free(scheme);
    return web;
}

curl_slist* BuildHeaderList(std::string_view extraHeaders) {
    // A browser neither announces a form post with "Expect: 100-continue" nor waits for it.
    curl_slist* list = curl_slist_append(nullptr, "Expect:");
    list = curl_slist_append(list, kAccept);
    for (const std::string& line : ParseHeaderText(extraHeaders)) {
        // curl drops a header written "Name:"; "Name;" is how it sends one with no value.
        const std::string header =
            line.back() == ':' ? line.substr(0, line.size() - 1) + ";" : line;
        list = curl_slist_append(list, header.c_str());
    }
    return list;
}

} // namespace

std::vector<std::string> ParseHeaderText(std::string_view headerText) {
    std::vector<std::string> headers;
    while (!headerText.empty()) {
        const std::size_t end = std::min(headerText.find_first_of("\r\n"), headerText.size());
        const std::string_view line = headerText.substr(0, end);
        headerText.remove_prefix(std::min(end + 1, headerText.size()));

        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos)
            continue;
        const std::string_view name = TrimAsciiWhitespace(line.substr(0, colon));
        const std::string_view value = TrimAsciiWhitespace(line.substr(colon + 1));
        if (!IsHeaderName(name))
            continue;
        headers.push_back(std::string(name) + ":" + (value.empty() ? "" : " ") +
                          std::string(value));
    }
    return headers;
}

HiddenBrowser::HiddenBrowser(QObject* parent, std::string proxy,
                             std::chrono::milliseconds pageTimeLimit,
                             std::chrono::milliseconds pageReadLimit)
    : PageBrowser(parent), multi_([this](CURL*, CURLcode result) { Finish(result); }),
      reader_(pageReadLimit), easy_(curl_easy_init()) {
    connect(&reader_, &PageBodyReader::done, this, &HiddenBrowser::BodyRead);
    firstByte_.setSingleShot(true);
    firstByte_.setTimerType(Qt::PreciseTimer);
    connect(&firstByte_, &QTimer::timeout, this, &HiddenBrowser::NoAnswerInTime);
    if (!easy_)
        return;
    curl_easy_setopt(easy_, CURLOPT_ERRORBUFFER, curlError_);
    // Refused at once when the answer announces its size; OnBodyBytes counts the rest.
    curl_easy_setopt(easy_, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(kLargestPage));
    curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L);
    // One easy handle for the browser's whole life keeps its in-memory cookie store.
    curl_easy_setopt(easy_, CURLOPT_COOKIEFILE, "");
    curl_easy_setopt(easy_, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy_, CURLOPT_MAXREDIRS, 20L);
    // As a browser: a POST answered by 301, 302 or 303 goes on as a GET.
    curl_easy_setopt(easy_, CURLOPT_POSTREDIR, 0L);
    curl_easy_setopt(easy_, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy_, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy_, CURLOPT_USERAGENT, kUserAgent);
    curl_easy_setopt(easy_, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(easy_, CURLOPT_TIMEOUT_MS, static_cast<long>(pageTimeLimit.count()));
    curl_easy_setopt(easy_, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(std::chrono::milliseconds(kConnectTimeLimit).count()));
    // Cut below one byte a second. curl takes the speed over its last five seconds, sampled
    // once a second, so it sees a silence about six seconds late: that much less makes the cut
    // come at the silence limit.
    constexpr std::chrono::seconds kCurlSpeedWindow{6};
    curl_easy_setopt(easy_, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(easy_, CURLOPT_LOW_SPEED_TIME,
                     static_cast<long>((kPageSilenceLimit - kCurlSpeedWindow).count()));
    curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &HiddenBrowser::OnBodyBytes);
    curl_easy_setopt(easy_, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(easy_, CURLOPT_HEADERFUNCTION, &HiddenBrowser::OnHeaderBytes);
    curl_easy_setopt(easy_, CURLOPT_HEADERDATA, this);
    if (!proxy.empty())
        curl_easy_setopt(easy_, CURLOPT_PROXY, proxy.c_str());
}

HiddenBrowser::~HiddenBrowser() {
    Stop();
    if (easy_)
        curl_easy_cleanup(easy_);
    curl_slist_free_all(headers_);
}

bool HiddenBrowser::Navigate(const std::string& url, std::string_view postData,
                             std::string_view extraHeaders) {
    Stop();
    if (!easy_ || !IsNavigableUrl(url))
        return false;

    curl_slist_free_all(headers_);
    headers_ = BuildHeaderList(extraHeaders);
    postData_.assign(postData);
    curl_easy_setopt(easy_, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy_, CURLOPT_HTTPHEADER, headers_);
    curl_easy_setopt(easy_, CURLOPT_POST, 1L);
    curl_easy_setopt(easy_, CURLOPT_POSTFIELDS, postData_.data());
    // The handle keeps the previous size otherwise, and an empty body would be sent with it.
    curl_easy_setopt(easy_, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(postData_.size()));

    curlError_[0] = '\0';
    tooLarge_ = false;
    if (!multi_.Add(easy_))
        return false;
    loading_ = true;
    // Counted from the request, connection included: the connection's own, shorter limit
    // names the fault when that is what is missing.
    firstByte_.start(std::chrono::milliseconds(kFirstByteLimit));
    return true;
}

void HiddenBrowser::Stop() {
    firstByte_.stop();
    if (loading_) {
        multi_.Remove(easy_);
        loading_ = false;
    }
    reader_.Stop();
    failure_ = {};
    std::string().swap(response_);
    bodyHtml_.clear();
}

size_t HiddenBrowser::OnBodyBytes(char* data, size_t size, size_t count, void* self) {
    auto* browser = static_cast<HiddenBrowser*>(self);
    const size_t length = size * count;
    if (length > kLargestPage - browser->response_.size()) {
        browser->tooLarge_ = true;
        return 0; // curl ends the transfer with a write error
    }
    browser->response_.append(data, length);
    return length;
}

size_t HiddenBrowser::OnHeaderBytes(char*, size_t size, size_t count, void* self) {
    static_cast<HiddenBrowser*>(self)->firstByte_.stop();
    return size * count;
}

void HiddenBrowser::NoAnswerInTime() {
    if (!loading_)
        return;
    multi_.Remove(easy_);
    loading_ = false;
    std::string().swap(response_);
    Complete({FetchFailure::Timeout});
}

void HiddenBrowser::Finish(CURLcode result) {
    firstByte_.stop();
    loading_ = false;
    long status = 0;
    curl_easy_getinfo(easy_, CURLINFO_RESPONSE_CODE, &status);
    cookies_.Trim(easy_);
    if (result != CURLE_OK || status >= 400) {
        std::string().swap(response_);
        Complete(DescribeTransferFailure(result, status));
        return;
    }
    const char* contentType = nullptr;
    curl_easy_getinfo(easy_, CURLINFO_CONTENT_TYPE, &contentType);
    reader_.Start(response_, contentType ? contentType : "");
    std::string().swap(response_);
}

NavigationFailure HiddenBrowser::DescribeTransferFailure(CURLcode result, long status) const {
    if (result == CURLE_OK)
        return {FetchFailure::HttpStatus, status};
    if (tooLarge_ || result == CURLE_FILESIZE_EXCEEDED)
        return {FetchFailure::TooLarge};
    if (result == CURLE_OPERATION_TIMEDOUT)
        return {FetchFailure::Timeout};
    // What a proxy with nothing behind it, or a service gone, gives: not one byte.
    if (result == CURLE_GOT_NOTHING)
        return {FetchFailure::NoReply, 0, curlError_[0] != '\0' ? std::string(curlError_) : ""};
    long osError = 0;
    curl_easy_getinfo(easy_, CURLINFO_OS_ERRNO, &osError);
    if (result == CURLE_COULDNT_CONNECT && osError == ECONNREFUSED)
        return {FetchFailure::Refused};
    const bool unreachable = result == CURLE_COULDNT_RESOLVE_HOST ||
                             result == CURLE_COULDNT_RESOLVE_PROXY ||
                             result == CURLE_COULDNT_CONNECT;
    return {unreachable ? FetchFailure::Unreachable : FetchFailure::Transport, 0,
            curlError_[0] != '\0' ? std::string(curlError_) : curl_easy_strerror(result)};
}

void HiddenBrowser::BodyRead(PageBodyReader::Outcome outcome, const QString& detail) {
    switch (outcome) {
    case PageBodyReader::Outcome::Read:
        bodyHtml_ = reader_.TakeBody();
        Complete({});
        return;
    case PageBodyReader::Outcome::TooComplex:
        Complete({FetchFailure::PageTooComplex});
        return;
    case PageBodyReader::Outcome::Failed:
        Complete({FetchFailure::Transport, 0, detail.toStdString()});
        return;
    }
}

void HiddenBrowser::Complete(NavigationFailure failure) {
    if (failure.reason != FetchFailure::None)
        bodyHtml_.clear();
    failure_ = std::move(failure);
    emit documentComplete();
}

} // namespace pellmark
