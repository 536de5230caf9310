#include "ConnectionSockets.h"

#include <arpa/inet.h>
#include <cstdlib>
#include <dirent.h>
#include <functional>
#include <netinet/in.h>
#include <sys/socket.h>

namespace pellmark {
namespace {

int PortOf(const sockaddr_storage& address) {
    if (address.ss_family == AF_INET)
        return ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port);
    if (address.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6&>(address).sin6_port);
    return -1;
}

struct SocketPorts {
    int local = -1;
    int peer = -1;
};

// Listening sockets and descriptors that are not sockets have no peer and give peer -1.
SocketPorts PortsOf(int descriptor) {
    sockaddr_storage local{};
    sockaddr_storage peer{};
    socklen_t localSize = sizeof local;
    socklen_t peerSize = sizeof peer;
    if (getsockname(descriptor, reinterpret_cast<sockaddr*>(&local), &localSize) != 0 ||
        getpeername(descriptor, reinterpret_cast<sockaddr*>(&peer), &peerSize) != 0)
        return {};
    return {PortOf(local), PortOf(peer)};
}

void ForEachDescriptor(const std::function<bool(int)>& visit) {
    DIR* directory = opendir("/proc/self/fd");
    if (!directory)
        return;
    const int own = dirfd(directory);
    while (const dirent* entry = readdir(directory)) {
        char* end = nullptr;
        const long descriptor = std::strtol(entry->d_name, &end, 10);
        if (end == entry->d_name || *end != '\0' || descriptor == own)
            continue;
        if (!visit(static_cast<int>(descriptor)))
            break;
    }
    closedir(directory);
}

} // namespace

int FindConnectionSocket(int localPort, int peerPort) {
    int found = -1;
    ForEachDescriptor([&](int descriptor) {
        const SocketPorts ports = PortsOf(descriptor);
        if (ports.local == localPort && ports.peer == peerPort)
            found = descriptor;
        return found < 0;
    });
    return found;
}

void ResetConnection(int socket) {
    const linger abort{1, 0};
    setsockopt(socket, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    // Connecting a TCP socket to AF_UNSPEC drops the connection with a reset at once.
    sockaddr unspecified{};
    unspecified.sa_family = AF_UNSPEC;
    connect(socket, &unspecified, sizeof unspecified);
}

void ShutdownConnections(int localPort) {
    ForEachDescriptor([&](int descriptor) {
        if (PortsOf(descriptor).local == localPort)
            shutdown(descriptor, SHUT_RDWR);
        return true;
    });
}

} // namespace pellmark
