#include "NeverAccepting.h"

#include <arpa/inet.h>
#include <cstdint>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace pellmark {

namespace {

// A backlog of 0 queues one connection; once it is taken, the kernel drops further SYNs.
constexpr int kQueueFillers = 2;

sockaddr_in Loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    return address;
}

} // namespace

NeverAcceptingPort::~NeverAcceptingPort() {
    for (const int socket : sockets_)
        ::close(socket);
}

int NeverAcceptingPort::open(int port) {
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    if (listener < 0)
        return -1;
    sockets_.push_back(listener);
    sockaddr_in address = Loopback(port);
    socklen_t length = sizeof address;
    if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener, 0) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return -1;
    for (int i = 0; i < kQueueFillers; ++i) {
        const int filler = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        if (filler < 0)
            return -1;
        sockets_.push_back(filler);
        // Non-blocking: the second one stays unanswered, as every later one will.
        ::connect(filler, reinterpret_cast<sockaddr*>(&address), sizeof address);
    }
    return ntohs(address.sin_port);
}

} // namespace pellmark
