// The window's invisible browser: posts a form to a URL, keeps cookies like a browser
// and gives the body HTML of the page that came back, or why none came. Never blocks the
// event loop: the body is read from the answer in a helper process.
#pragma once

#include "quote/CookieLimit.h"
#include "quote/CurlMulti.h"
#include "quote/FetchResult.h"
#include "quote/PageBodyBounds.h"
#include "quote/PageBodyReader.h"

#include <QObject>

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace pellmark {

// A page that takes longer than this in all is a failed page.
inline constexpr std::chrono::milliseconds kPageTimeLimit{60'000};
// A dead service fails sooner: a connection not made within this is a failed page, and so is
// an answer from which nothing at all arrives for kPageSilenceLimit. A slow page that keeps
// coming has the whole kPageTimeLimit.
inline constexpr std::chrono::seconds kConnectTimeLimit{15};
inline constexpr std::chrono::seconds kPageSilenceLimit{20};

// Why a navigation gave no page: reason None when a page came.
struct NavigationFailure {
    FetchFailure reason = FetchFailure::None;
    long httpStatus = 0;  // with HttpStatus
    std::string detail{}; // the network library's own words, when it gave any
};

// Extra header text as a browser takes it: lines split at CR or LF, blank lines and lines
// without a colon dropped, each kept as "Name: value".
std::vector<std::string> ParseHeaderText(std::string_view headerText);

class HiddenBrowser : public QObject {
    Q_OBJECT
public:
    // The values a browser control reports; Loaded and Interactive never occur here.
    enum class LoadState {
        Uninitialized = 0,
        Loading = 1,
        Loaded = 2,
        Interactive = 3,
        Complete = 4
    };

    // An empty proxy leaves the choice to the environment (http_proxy, no_proxy).
    // pageReadLimit bounds the reading of the body from an answer that came.
    explicit HiddenBrowser(QObject* parent = nullptr, std::string proxy = {},
                           std::chrono::milliseconds pageTimeLimit = kPageTimeLimit,
                           std::chrono::milliseconds pageReadLimit = kPageReadLimit);
    ~HiddenBrowser() override;
    HiddenBrowser(const HiddenBrowser&) = delete;
    HiddenBrowser& operator=(const HiddenBrowser&) = delete;

    // Posts postData (an empty body is still a POST) and abandons any navigation still
    // going. False when the navigation cannot be started, e.g. for a malformed URL.
    bool Navigate(const std::string& url, std::string_view postData, std::string_view extraHeaders);
    // Abandons the navigation in progress; no documentComplete() follows for it.
    void Stop();

    LoadState ReadyState() const { return readyState_; }
    // Empty after a transport failure or an HTTP error status.
    const std::string& BodyHtml() const { return bodyHtml_; }
    // Why the last completed navigation gave no page.
    const NavigationFailure& Failure() const { return failure_; }

signals:
    void documentComplete();

private:
    static size_t OnBodyBytes(char* data, size_t size, size_t count, void* self);
    void Finish(CURLcode result);
    NavigationFailure DescribeTransferFailure(CURLcode result, long status) const;
    void BodyRead(PageBodyReader::Outcome outcome, const QString& detail);
    void Complete(NavigationFailure failure);

    CurlMulti multi_;
    PageBodyReader reader_;
    CookieLimit cookies_;
    CURL* easy_;
    char curlError_[CURL_ERROR_SIZE] = {};
    curl_slist* headers_ = nullptr;
    std::string postData_;
    std::string response_;
    std::string bodyHtml_;
    NavigationFailure failure_;
    LoadState readyState_ = LoadState::Uninitialized;
    bool loading_ = false;
    bool tooLarge_ = false;
};

} // namespace pellmark
