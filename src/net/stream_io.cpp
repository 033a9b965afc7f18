#include "net/stream_io.h"

#include <poll.h>
#include <sys/socket.h>

#include <cerrno>

#include "net/framing.h"
#include "net/readiness.h"

namespace net::detail {
namespace {

bool IsWouldBlock(int error) {
    return error == EAGAIN || error == EWOULDBLOCK;
}

// Time left before the idle limit runs out, counted from `lastData`; at least 0.
int IdleTimeLeft(Clock::time_point lastData) {
    const long long left = ReceiveIdleTimeout() - MillisecondsSince(lastData);
    return left > 0 ? static_cast<int>(left) : 0;
}

}  // namespace

bool SendAll(Socket socket, const char* data, std::size_t size, const StopFlag* stop) {
    std::size_t sent = 0;
    auto lastProgress = Clock::now();
    while (sent < size) {
        if (IsStopped(stop)) return false;
        // MSG_DONTWAIT keeps the stop flag working even on a socket the caller left blocking.
        const ssize_t result =
            ::send(socket, data + sent, size - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (result > 0) {
            sent += static_cast<std::size_t>(result);
            lastProgress = Clock::now();
            continue;
        }
        if (result < 0 && errno == EINTR) continue;
        if (result < 0 && IsWouldBlock(errno)) {
            const int left = IdleTimeLeft(lastProgress);
            if (left == 0) return false;
            if (WaitForSocket(socket, POLLOUT, stop, left) != Readiness::Ready) return false;
            continue;
        }
        return false;
    }
    return true;
}

std::size_t ReceiveSome(Socket socket, char* buffer, std::size_t capacity, const StopFlag* stop) {
    const auto start = Clock::now();
    for (;;) {
        if (IsStopped(stop)) return 0;
        const ssize_t result = ::recv(socket, buffer, capacity, MSG_DONTWAIT);
        if (result > 0) return static_cast<std::size_t>(result);
        if (result == 0) return 0;
        if (errno == EINTR) continue;
        if (!IsWouldBlock(errno)) return 0;
        const int left = IdleTimeLeft(start);
        if (left == 0) return 0;
        if (WaitForSocket(socket, POLLIN, stop, left) != Readiness::Ready) return 0;
    }
}

}  // namespace net::detail
