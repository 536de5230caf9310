#include "RawHttp.h"

#include <QDeadlineTimer>

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstdlib>
#include <netinet/in.h>
#include <poll.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

class Socket {
public:
    Socket() : descriptor_(socket(AF_INET, SOCK_STREAM, 0)) {}
    ~Socket() {
        if (descriptor_ >= 0)
            close(descriptor_);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int descriptor() const { return descriptor_; }

private:
    int descriptor_;
};

std::string_view HeaderBlock(const std::string& bytes) {
    const auto end = bytes.find("\r\n\r\n");
    return std::string_view(bytes).substr(0, end == std::string::npos ? bytes.size() : end);
}

std::string Dechunk(std::string_view chunked) {
    std::string joined;
    while (!chunked.empty()) {
        const auto lineEnd = chunked.find("\r\n");
        if (lineEnd == std::string_view::npos)
            break;
        const std::size_t size =
            std::strtoul(std::string(chunked.substr(0, lineEnd)).c_str(), nullptr, 16);
        if (size == 0)
            break;
        joined.append(chunked.substr(lineEnd + 2, size));
        chunked.remove_prefix(std::min(chunked.size(), lineEnd + 2 + size + 2));
    }
    return joined;
}

} // namespace

int RawReply::status() const {
    if (!bytes.starts_with("HTTP/1.") || bytes.size() < 12)
        return 0;
    return std::atoi(bytes.substr(9, 3).c_str());
}

std::string RawReply::header(std::string_view name) const {
    std::string_view block = HeaderBlock(bytes);
    while (!block.empty()) {
        const auto lineEnd = block.find("\r\n");
        const std::string_view line = block.substr(0, lineEnd);
        const auto colon = line.find(':');
        if (colon == name.size() && strncasecmp(line.data(), name.data(), name.size()) == 0)
            return std::string(line.substr(line.find_first_not_of(' ', colon + 1)));
        if (lineEnd == std::string_view::npos)
            break;
        block.remove_prefix(lineEnd + 2);
    }
    return {};
}

std::string RawReply::body() const {
    const auto end = bytes.find("\r\n\r\n");
    if (end == std::string::npos)
        return {};
    const std::string_view rest = std::string_view(bytes).substr(end + 4);
    if (header("Transfer-Encoding") == "chunked")
        return Dechunk(rest);
    return std::string(rest);
}

RawReply Exchange(std::uint16_t port, const std::string& request, int timeoutMs) {
    RawReply reply;
    Socket socket;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(socket.descriptor(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        send(socket.descriptor(), request.data(), request.size(), MSG_NOSIGNAL) !=
            static_cast<ssize_t>(request.size())) {
        reply.reset = true;
        return reply;
    }
    const QDeadlineTimer deadline(timeoutMs);
    char buffer[65536];
    while (true) {
        pollfd readable{socket.descriptor(), POLLIN, 0};
        if (poll(&readable, 1, static_cast<int>(deadline.remainingTime())) == 0) {
            reply.timedOut = true;
            break;
        }
        const ssize_t received = recv(socket.descriptor(), buffer, sizeof buffer, 0);
        if (received < 0 && errno == EINTR)
            continue;
        if (received <= 0) {
            reply.reset = received < 0;
            break;
        }
        reply.bytes.append(buffer, static_cast<std::size_t>(received));
    }
    return reply;
}

std::string FormPost(std::string_view target, std::string_view body,
                     std::string_view extraHeaders) {
    std::string request = "POST ";
    request.append(target).append(" HTTP/1.1\r\nHost: www.vorn.example\r\n");
    request.append("Content-Type: application/x-www-form-urlencoded\r\n");
    request.append("Content-Length: ").append(std::to_string(body.size())).append("\r\n");
    request.append("Connection: close\r\n").append(extraHeaders).append("\r\n").append(body);
    return request;
}
