// Reaches the sockets of the service's own connections, which the HTTP library keeps to itself:
// faults that close or reset a connection, and the shutdown that must not wait for idle clients.
#pragma once

namespace pellmark {

// The connected socket whose local and peer ports are these; -1 when there is none.
int FindConnectionSocket(int localPort, int peerPort);

// Aborts the connection with a reset, keeping the descriptor open for its owner to close.
void ResetConnection(int socket);

// Ends both directions of every connection accepted on localPort.
void ShutdownConnections(int localPort);

} // namespace pellmark
