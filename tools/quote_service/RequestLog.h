// Appends one line per request to a file, flushed at once so that tests can read it while the
// service runs: arrival time (seconds since the epoch, to the microsecond), method,
// request-target, Host, Content-Type, Cookie and body, tab separated.
#pragma once

#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>

namespace pellmark {

// Backslash, tab, CR, LF and other control bytes become \\, \t, \r, \n and \xHH.
std::string EscapeLogField(std::string_view field);

struct LoggedRequest {
    std::chrono::system_clock::time_point arrival;
    std::string_view method;
    std::string_view target;
    std::string_view host;
    std::string_view contentType;
    std::string_view cookie;
    std::string_view body;
};

class RequestLog {
public:
    // An empty path logs nothing.
    explicit RequestLog(const std::string& path);
    ~RequestLog();
    RequestLog(const RequestLog&) = delete;
    RequestLog& operator=(const RequestLog&) = delete;

    bool isOpen() const { return file_ != nullptr; }
    void write(const LoggedRequest& request);

private:
    std::mutex mutex_;
    std::FILE* file_ = nullptr;
};

} // namespace pellmark
