// A port that takes no connection: it listens, but its queue is full and never emptied, so a
// client's connection attempt goes unanswered until the client's own time limit.
#pragma once

#include <vector>

namespace pellmark {

class NeverAcceptingPort {
public:
    NeverAcceptingPort() = default;
    ~NeverAcceptingPort();
    NeverAcceptingPort(const NeverAcceptingPort&) = delete;
    NeverAcceptingPort& operator=(const NeverAcceptingPort&) = delete;

    // Listens on 127.0.0.1:port (0: any) and fills the queue; the port, -1 on failure.
    int open(int port);

private:
    std::vector<int> sockets_;
};

} // namespace pellmark
