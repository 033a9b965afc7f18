#include "net/stream_io.h"

#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "net/framing.h"
#include "util/error_text.h"

namespace net::detail {
namespace {

bool IsWouldBlock(int error) {
    return error == EAGAIN || error == EWOULDBLOCK;
}

// Time left before `limitMs` runs out, counted from `since`; at least 0.
int TimeLeft(Clock::time_point since, int limitMs) {
    const long long left = limitMs - MillisecondsSince(since);
    return left > 0 ? static_cast<int>(left) : 0;
}

util::Error TimedOut(int limitMs) {
    return util::MakeError(util::ErrorKind::TimedOut,
                           std::to_string((limitMs + 999) / 1000) + " s");
}

}  // namespace

util::Error ConnectionError(int errorNumber) {
    if (errorNumber == 0) return util::MakeError(util::ErrorKind::ConnectionLost);
    return util::MakeError(util::ErrorKind::ConnectionLost, util::ErrorText(errorNumber));
}

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
            const int left = TimeLeft(lastProgress, ReceiveIdleTimeout());
            if (left == 0) return false;
            if (WaitForSocket(socket, POLLOUT, stop, left) != Readiness::Ready) return false;
            continue;
        }
        return false;
    }
    return true;
}

util::Status WaitForData(Socket socket, const StopFlag* stop, Clock::time_point since,
                         int limitMs) {
    const int left = TimeLeft(since, limitMs);
    if (left == 0) return TimedOut(limitMs);
    switch (WaitForSocket(socket, POLLIN, stop, left)) {
        case Readiness::Ready:
            return {};
        case Readiness::Stopped:
            return util::MakeError(util::ErrorKind::Stopped);
        case Readiness::TimedOut:
            return TimedOut(limitMs);
        case Readiness::Failed:
            break;
    }
    return ConnectionError(errno);
}

util::Result<std::size_t> ReceiveAvailable(Socket socket, char* buffer, std::size_t capacity,
                                           const StopFlag* stop, int limitMs) {
    const auto start = Clock::now();
    for (;;) {
        if (IsStopped(stop)) return util::MakeError(util::ErrorKind::Stopped);
        const ssize_t result = ::recv(socket, buffer, capacity, MSG_DONTWAIT);
        if (result > 0) return static_cast<std::size_t>(result);
        if (result == 0) return ConnectionError(0);
        if (errno == EINTR) continue;
        if (!IsWouldBlock(errno)) return ConnectionError(errno);
        if (util::Status waited = WaitForData(socket, stop, start, limitMs); !waited) {
            return waited.error();
        }
    }
}

std::size_t ReceiveSome(Socket socket, char* buffer, std::size_t capacity, const StopFlag* stop) {
    const auto got = ReceiveAvailable(socket, buffer, capacity, stop, ReceiveIdleTimeout());
    return got ? got.value() : 0;
}

}  // namespace net::detail
