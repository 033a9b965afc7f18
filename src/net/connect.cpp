#include "net/connect.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "net/readiness.h"

namespace net {
namespace {

// A black-holed address would otherwise hold each attempt for the kernel's whole SYN timeout
// (about two minutes); the pending connect keeps running across attempts, so nothing is lost.
constexpr int kAttemptLimitMs = 5000;
// Loopback refuses at once; a short pause gives a peer that is just starting a chance to listen.
constexpr int kRefusedPauseMs = 100;

enum class AttemptResult { Connected, Failed, Stopped };

AttemptResult WaitForConnect(Socket socket, const StopFlag* stop) {
    switch (detail::WaitForSocket(socket, POLLOUT, stop, kAttemptLimitMs)) {
        case detail::Readiness::Ready:
            return ConnectSucceeded(socket) ? AttemptResult::Connected : AttemptResult::Failed;
        case detail::Readiness::Stopped:
            return AttemptResult::Stopped;
        case detail::Readiness::TimedOut:
        case detail::Readiness::Failed:
            break;
    }
    return AttemptResult::Failed;
}

AttemptResult TryConnect(Socket socket, Ipv4 address, std::uint16_t port, const StopFlag* stop) {
    switch (StartConnect(socket, address, port)) {
        case ConnectStart::Connected:
            return AttemptResult::Connected;
        case ConnectStart::Pending:
            return WaitForConnect(socket, stop);
        case ConnectStart::Failed:
            break;
    }
    return AttemptResult::Failed;
}

}  // namespace

ConnectStart StartConnect(Socket socket, Ipv4 address, std::uint16_t port) {
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_addr.s_addr = address;
    target.sin_port = htons(port);
    if (::connect(socket, reinterpret_cast<const sockaddr*>(&target), sizeof target) == 0) {
        return ConnectStart::Connected;
    }
    switch (errno) {
        case EISCONN:
            return ConnectStart::Connected;
        case EINPROGRESS:
        case EALREADY:
        case EINTR:
            return ConnectStart::Pending;
        default:
            return ConnectStart::Failed;
    }
}

bool ConnectSucceeded(Socket socket) {
    int error = 0;
    socklen_t size = sizeof error;
    return ::getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
}

bool SendBroadcast(std::uint16_t port, std::string_view text, Ipv4 destination) {
    UniqueSocket datagram(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    if (!datagram.valid()) return false;
    const int on = 1;
    if (::setsockopt(datagram.get(), SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0) return false;
    // The receivers read the text up to its terminating zero byte.
    std::string payload(text);
    payload.push_back('\0');
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_addr.s_addr = destination;
    target.sin_port = htons(port);
    const ssize_t sent = ::sendto(datagram.get(), payload.data(), payload.size(), MSG_NOSIGNAL,
                                  reinterpret_cast<const sockaddr*>(&target), sizeof target);
    return sent == static_cast<ssize_t>(payload.size());
}

bool ConnectWithRetry(Socket socket, Ipv4 address, std::uint16_t port, int attempts,
                      const StopFlag* stop) {
    for (int used = 0; attempts <= 0 || used < attempts; ++used) {
        if (detail::IsStopped(stop)) return false;
        switch (TryConnect(socket, address, port, stop)) {
            case AttemptResult::Connected:
                return true;
            case AttemptResult::Stopped:
                return false;
            case AttemptResult::Failed:
                break;
        }
        const bool lastAttempt = attempts > 0 && used + 1 >= attempts;
        if (!lastAttempt && !detail::PauseUnlessStopped(kRefusedPauseMs, stop)) return false;
    }
    return false;
}

bool SetBlocking(Socket socket, bool blocking) {
    const int flags = ::fcntl(socket, F_GETFL, 0);
    if (flags < 0) return false;
    const int wanted = blocking ? (flags & ~O_NONBLOCK) : (flags | O_NONBLOCK);
    return wanted == flags || ::fcntl(socket, F_SETFL, wanted) == 0;
}

UniqueSocket ConnectTo(Ipv4 address, std::uint16_t port, const StopFlag* stop, int attempts) {
    UniqueSocket socket = CreateTcpSocket();
    if (!socket.valid() || !SetBlocking(socket.get(), false)) return {};
    if (!ConnectWithRetry(socket.get(), address, port, attempts, stop)) return {};
    return socket;
}

}  // namespace net
