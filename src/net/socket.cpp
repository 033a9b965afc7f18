#include "net/socket.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "net/readiness.h"
#include "util/error_text.h"
#include "util/trace.h"

namespace net {

UniqueSocket& UniqueSocket::operator=(UniqueSocket&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
}

UniqueSocket::~UniqueSocket() {
    reset();
}

void UniqueSocket::reset(Socket fd) {
    if (fd_ != kInvalidSocket && fd_ != fd) ::close(fd_);
    fd_ = fd;
}

UniqueSocket CreateTcpSocket() {
    return UniqueSocket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
}

UniqueSocket CreateListener(Ipv4 address, std::uint16_t port, int backlog) {
    UniqueSocket listener(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!listener.valid()) return {};
    const int on = 1;
    ::setsockopt(listener.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = address;
    local.sin_port = htons(port);
    if (::bind(listener.get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0 ||
        ::listen(listener.get(), backlog) != 0) {
        XUTIL_DIAG("cannot listen on %s:%u: %s\n", FormatIpv4(address).c_str(), unsigned{port},
                   util::ErrorText(errno).c_str());
        return {};
    }
    return listener;
}

std::uint16_t LocalPort(Socket socket) {
    sockaddr_in local{};
    socklen_t size = sizeof local;
    if (::getsockname(socket, reinterpret_cast<sockaddr*>(&local), &size) != 0) return 0;
    if (local.sin_family != AF_INET) return 0;
    return ntohs(local.sin_port);
}

Ipv4 PeerAddress(Socket socket) {
    sockaddr_in peer{};
    socklen_t size = sizeof peer;
    if (::getpeername(socket, reinterpret_cast<sockaddr*>(&peer), &size) != 0) return 0;
    if (peer.sin_family != AF_INET) return 0;
    return peer.sin_addr.s_addr;
}

UniqueSocket AcceptConnection(Socket listener, const StopFlag* stop, Ipv4* peer, int timeoutMs) {
    const auto start = detail::Clock::now();
    for (;;) {
        int left = -1;
        if (timeoutMs >= 0) {
            left = timeoutMs - static_cast<int>(detail::MillisecondsSince(start));
            if (left < 0) left = 0;
        }
        if (detail::WaitForSocket(listener, POLLIN, stop, left) != detail::Readiness::Ready)
            return {};
        sockaddr_in from{};
        socklen_t size = sizeof from;
        UniqueSocket accepted(::accept4(listener, reinterpret_cast<sockaddr*>(&from), &size,
                                        SOCK_NONBLOCK | SOCK_CLOEXEC));
        if (accepted.valid()) {
            if (peer != nullptr) *peer = from.sin_addr.s_addr;
            return accepted;
        }
        // The connection may have gone again between poll and accept; anything else is real.
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR && errno != ECONNABORTED) {
            return {};
        }
    }
}

std::string FormatIpv4(Ipv4 address) {
    char text[INET_ADDRSTRLEN] = {};
    in_addr value{};
    value.s_addr = address;
    if (::inet_ntop(AF_INET, &value, text, sizeof text) == nullptr) return {};
    return text;
}

bool ParseIpv4(const std::string& text, Ipv4& address) {
    in_addr value{};
    if (::inet_pton(AF_INET, text.c_str(), &value) != 1) {
        address = 0;
        return false;
    }
    address = value.s_addr;
    return true;
}

bool ResolveHost(const std::string& nameOrAddress, Ipv4& address) {
    if (nameOrAddress.empty()) return false;
    if (ParseIpv4(nameOrAddress, address)) return true;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(nameOrAddress.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) {
        return false;
    }
    bool ok = false;
    for (const addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
        if (entry->ai_family == AF_INET && entry->ai_addr != nullptr) {
            address = reinterpret_cast<const sockaddr_in*>(entry->ai_addr)->sin_addr.s_addr;
            ok = true;
            break;
        }
    }
    ::freeaddrinfo(found);
    return ok;
}

}  // namespace net
