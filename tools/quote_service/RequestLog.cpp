#include "RequestLog.h"

#include <cinttypes>

namespace pellmark {

std::string EscapeLogField(std::string_view field) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string escaped;
    for (unsigned char c : field) {
        switch (c) {
        case '\\':
            escaped += "\\\\";
            break;
        case '\t':
            escaped += "\\t";
            break;
        case '\r':
            escaped += "\\r";
            break;
        case '\n':
            escaped += "\\n";
            break;
        default:
            if (c < 0x20 || c == 0x7f) {
                escaped += "\\x";
                escaped += kHex[c >> 4];
                escaped += kHex[c & 15];
            } else {
                escaped += static_cast<char>(c);
            }
        }
    }
    return escaped;
}

RequestLog::RequestLog(const std::string& path) {
    if (!path.empty())
        file_ = std::fopen(path.c_str(), "a");
}

RequestLog::~RequestLog() {
    if (file_)
        std::fclose(file_);
}

namespace {

std::string ArrivalField(std::chrono::system_clock::time_point arrival) {
    const auto micros =
        std::chrono::duration_cast<std::chrono::microseconds>(arrival.time_since_epoch()).count();
    char text[32];
    std::snprintf(text, sizeof text, "%" PRId64 ".%06" PRId64,
                  static_cast<std::int64_t>(micros / 1000000),
                  static_cast<std::int64_t>(micros % 1000000));
    return text;
}

} // namespace

void RequestLog::write(const LoggedRequest& request) {
    if (!file_)
        return;
    const std::string line =
        ArrivalField(request.arrival) + '\t' + EscapeLogField(request.method) + '\t' +
        EscapeLogField(request.target) + '\t' + EscapeLogField(request.host) + '\t' +
        EscapeLogField(request.contentType) + '\t' + EscapeLogField(request.cookie) + '\t' +
        EscapeLogField(request.body) + '\n';
    const std::lock_guard lock(mutex_);
    std::fputs(line.c_str(), file_);
    std::fflush(file_);
}

} // namespace pellmark
