// What the fetch needs of a browser: post a form, abandon it, and say what came back. The
// hidden browser is the real one; tests of the fetch's own rules drive a fake.
#pragma once

#include "net/FetchResult.h"

#include <QObject>

#include <string>
#include <string_view>

namespace pellmark {

// Why a navigation gave no page: reason None when a page came.
struct NavigationFailure {
    FetchFailure reason = FetchFailure::None;
    long httpStatus = 0;  // with HttpStatus
    std::string detail{}; // the network library's own words, when it gave any
};

class PageBrowser : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Posts postData (an empty body is still a POST) and abandons any navigation still
    // going. False when the navigation cannot be started, e.g. for a malformed URL.
    virtual bool Navigate(const std::string& url, std::string_view postData,
                          std::string_view extraHeaders) = 0;
    // Abandons the navigation in progress; no documentComplete() follows for it.
    virtual void Stop() = 0;

    // Empty after a transport failure or an HTTP error status.
    virtual const std::string& BodyHtml() const = 0;
    // Why the last completed navigation gave no page.
    virtual const NavigationFailure& Failure() const = 0;

signals:
    void documentComplete();
};

} // namespace pellmark
