#include "net/readiness.h"

#include <fcntl.h>
#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <thread>

namespace net::detail {

bool IsNonBlocking(Socket socket) {
    const int flags = ::fcntl(socket, F_GETFL, 0);
    return flags >= 0 && (flags & O_NONBLOCK) != 0;
}

Readiness WaitForSocket(Socket socket, short events, const StopFlag* stop, int timeoutMs) {
    const auto start = Clock::now();
    for (;;) {
        if (IsStopped(stop)) return Readiness::Stopped;
        int slice = kWaitSliceMs;
        if (timeoutMs >= 0) {
            const long long left = std::max(0LL, timeoutMs - MillisecondsSince(start));
            slice = static_cast<int>(std::min<long long>(slice, left));
        }
        pollfd entry{socket, events, 0};
        const int result = ::poll(&entry, 1, slice);
        if (result > 0) {
            return (entry.revents & POLLNVAL) != 0 ? Readiness::Failed : Readiness::Ready;
        }
        if (result < 0 && errno != EINTR) return Readiness::Failed;
        if (timeoutMs >= 0 && MillisecondsSince(start) >= timeoutMs) return Readiness::TimedOut;
    }
}

bool PauseUnlessStopped(int milliseconds, const StopFlag* stop) {
    const auto start = Clock::now();
    for (;;) {
        if (IsStopped(stop)) return false;
        const long long left = milliseconds - MillisecondsSince(start);
        if (left <= 0) return true;
        std::this_thread::sleep_for(
            std::chrono::milliseconds(std::min<long long>(left, kWaitSliceMs)));
    }
}

}  // namespace net::detail
