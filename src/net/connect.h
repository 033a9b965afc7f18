// Connecting and one-shot broadcasts.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/types.h"
#include "net/socket.h"

namespace net {

// Sends text plus one zero byte as a UDP broadcast to destination:port (destination in network
// order, port in host order).
bool SendBroadcast(std::uint16_t port, std::string_view text, Ipv4 destination);

// Connects a non-blocking socket, trying up to `attempts` times (0 = unlimited); a set stop flag
// ends the wait at once. An attempt that the kernel neither
// completes nor refuses counts as used after 5 s; a refused one is followed by a 100 ms pause.
bool ConnectWithRetry(Socket socket, Ipv4 address, std::uint16_t port, int attempts,
                      const StopFlag* stop);

// One attempt on a non-blocking socket. Pending: the socket turns writable once the attempt is
// decided, and ConnectSucceeded then tells which way it went.
enum class ConnectStart { Connected, Pending, Failed };
ConnectStart StartConnect(Socket socket, Ipv4 address, std::uint16_t port);
bool ConnectSucceeded(Socket socket);

bool SetBlocking(Socket socket, bool blocking);

// Socket + non-blocking + ConnectWithRetry(10 attempts); invalid on failure.
UniqueSocket ConnectTo(Ipv4 address, std::uint16_t port, const StopFlag* stop, int attempts = 10);

}  // namespace net
