// The window's invisible browser: posts a form to a URL, keeps cookies like a browser
// and gives the body HTML of the page that came back, or why none came. Never blocks the
// event loop: the body is read from the answer in a helper process.
#pragma once

#include "net/CookieLimit.h"
#include "net/CurlMulti.h"
#include "net/PageBodyReader.h"
#include "net/PageBrowser.h"
#include "page/PageBodyBounds.h"

#include <QTimer>

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace pellmark {

// A page that takes longer than this in all is a failed page.
inline constexpr std::chrono::milliseconds kPageTimeLimit{60'000};
// A dead service fails sooner: a connection not made within kConnectTimeLimit is a failed
// page, and so is a request whose answer has not begun within kFirstByteLimit of it, or an
// answer from which nothing more arrives for kPageSilenceLimit. A slow page that keeps coming
// has the whole kPageTimeLimit. A service that answers at all begins within a second or two;
// these bounds keep a dead network's two days of three tries under a minute (RunEngine.h).
inline constexpr std::chrono::seconds kConnectTimeLimit{5};
inline constexpr std::chrono::seconds kFirstByteLimit{6};
inline constexpr std::chrono::seconds kPageSilenceLimit{20};

// Extra header text as a browser takes it: lines split at CR or LF, blank lines and lines
// without a colon dropped, each kept as "Name: value".
std::vector<std::string> ParseHeaderText(std::string_view headerText);

class HiddenBrowser : public PageBrowser {
    Q_OBJECT
public:
    // An empty proxy leaves the choice to the environment (http_proxy, no_proxy).
    // pageReadLimit bounds the reading of the body from an answer that came.
    explicit HiddenBrowser(QObject* parent = nullptr, std::string proxy = {},
                           std::chrono::milliseconds pageTimeLimit = kPageTimeLimit,
                           std::chrono::milliseconds pageReadLimit = kPageReadLimit);
    ~HiddenBrowser() override;
    HiddenBrowser(const HiddenBrowser&) = delete;
    HiddenBrowser& operator=(const HiddenBrowser&) = delete;

    bool Navigate(const std::string& url, std::string_view postData,
                  std::string_view extraHeaders) override;
    void Stop() override;

    const std::string& BodyHtml() const override { return bodyHtml_; }
    const NavigationFailure& Failure() const override { return failure_; }

private:
    static size_t OnBodyBytes(char* data, size_t size, size_t count, void* self);
    static size_t OnHeaderBytes(char* data, size_t size, size_t count, void* self);
    void NoAnswerInTime();
    void Finish(CURLcode result);
    NavigationFailure DescribeTransferFailure(CURLcode result, long status) const;
    void BodyRead(PageBodyReader::Outcome outcome, const QString& detail);
    void Complete(NavigationFailure failure);

    CurlMulti multi_;
    QTimer firstByte_;
    PageBodyReader reader_;
    CookieLimit cookies_;
    CURL* easy_;
    char curlError_[CURL_ERROR_SIZE] = {};
    curl_slist* headers_ = nullptr;
    std::string postData_;
    std::string response_;
    std::string bodyHtml_;
    NavigationFailure failure_;
    bool loading_ = false;
    bool tooLarge_ = false;
};

} // namespace pellmark
