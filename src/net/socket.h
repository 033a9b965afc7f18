// Owning wrapper for a POSIX socket descriptor and the few socket set-up helpers every network
// object needs.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "core/types.h"

namespace net {

using Socket = int;
inline constexpr Socket kInvalidSocket = -1;

// Closes its descriptor on destruction; move-only.
class UniqueSocket {
public:
    UniqueSocket() = default;
    explicit UniqueSocket(Socket fd) : fd_(fd) {}
    UniqueSocket(UniqueSocket&& other) noexcept : fd_(std::exchange(other.fd_, kInvalidSocket)) {}
    UniqueSocket& operator=(UniqueSocket&& other) noexcept;
    UniqueSocket(const UniqueSocket&) = delete;
    UniqueSocket& operator=(const UniqueSocket&) = delete;
    ~UniqueSocket();

    Socket get() const { return fd_; }
    bool valid() const { return fd_ != kInvalidSocket; }
    Socket release() { return std::exchange(fd_, kInvalidSocket); }
    void reset(Socket fd = kInvalidSocket);

private:
    Socket fd_ = kInvalidSocket;
};

// A new TCP socket (close-on-exec), or an invalid one.
UniqueSocket CreateTcpSocket();

// A non-blocking TCP socket bound to address:port (address in network order, 0 = any) with
// SO_REUSEADDR, listening with the given backlog; invalid on failure.
UniqueSocket CreateListener(Ipv4 address, std::uint16_t port, int backlog = 128);

// The port a bound socket actually got (useful after binding port 0 in tests); 0 on failure.
std::uint16_t LocalPort(Socket socket);

// Address of the peer of a connected socket, network order; 0 on failure.
Ipv4 PeerAddress(Socket socket);

// Waits until the listener has a connection, the stop flag is set or
// timeoutMs has passed (negative: no time limit); returns the accepted, non-blocking socket with
// its peer address, or an invalid socket. Callers loop on it, checking their own flags between.
UniqueSocket AcceptConnection(Socket listener, const StopFlag* stop, Ipv4* peer,
                              int timeoutMs = 100);

// Dotted text of an address in network order, and back (0 and false when not dotted IPv4).
std::string FormatIpv4(Ipv4 address);
bool ParseIpv4(const std::string& text, Ipv4& address);

// Resolves a host name or dotted address to an IPv4 address (network order).
bool ResolveHost(const std::string& nameOrAddress, Ipv4& address);

}  // namespace net
