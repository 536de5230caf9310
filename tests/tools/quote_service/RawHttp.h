// HTTP over a plain socket, byte for byte, so that a test chooses the exact request line and
// sees exactly what the service sends back, or that it sent nothing.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct RawReply {
    std::string bytes;
    bool reset = false;    // the connection ended with an error instead of a close
    bool timedOut = false; // still open when the time was up

    int status() const; // 0 without a status line
    // The first header of that name, in any case; empty when absent.
    std::string header(std::string_view name) const;
    // What follows the header block, with chunks joined when the body is chunked.
    std::string body() const;
};

RawReply Exchange(std::uint16_t port, const std::string& request, int timeoutMs = 5000);

// A form POST with Connection: close, as the program sends it through a proxy or directly.
std::string FormPost(std::string_view target, std::string_view body,
                     std::string_view extraHeaders = {});
