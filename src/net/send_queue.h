// What the peer of a connection has taken of the data sent to it, as the kernel counts it: a
// sender can tell a reader that trickles from one that keeps up, whatever the socket buffers hold.
#pragma once

#include <cstdint>
#include <optional>

#include "net/socket.h"

namespace net {

struct SendQueueState {
    // Bytes the peer has acknowledged since the connection opened.
    std::uint64_t acked = 0;
    // Data sent but not yet taken by the peer.
    bool waitingForPeer = false;
};

// Empty when the kernel does not tell (not a TCP socket, closed).
std::optional<SendQueueState> ReadSendQueue(Socket socket);

}  // namespace net
