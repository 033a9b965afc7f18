#include "net/readiness.h"

#include <fcntl.h>
#include <poll.h>

#include <algorithm>
#include <cerrno>

#include "util/wake_event.h"

namespace net::detail {

namespace {

// A set flag makes the waiting thread's own wake-up event readable, so it sleeps until the socket
// or the flag needs it. Without the event (out of descriptors) the waits fall back to slices.
void SignalThreadEvent(void* event) {
    static_cast<util::WakeEvent*>(event)->Signal();
}

}  // namespace

bool IsNonBlocking(Socket socket) {
    const int flags = ::fcntl(socket, F_GETFL, 0);
    return flags >= 0 && (flags & O_NONBLOCK) != 0;
}

Readiness WaitForSocket(Socket socket, short events, const StopFlag* stop, int timeoutMs) {
    util::WakeEvent* wake = nullptr;
    if (stop != nullptr && util::ThisThreadWakeEvent().valid()) wake = &util::ThisThreadWakeEvent();
    const StopWaker waker(wake != nullptr ? stop : nullptr, &SignalThreadEvent, wake);
    const auto start = Clock::now();
    for (;;) {
        if (IsStopped(stop)) return Readiness::Stopped;
        int slice = (stop == nullptr || wake != nullptr) ? -1 : kWaitSliceMs;
        if (timeoutMs >= 0) {
            const long long left = std::max(0LL, timeoutMs - MillisecondsSince(start));
            slice = static_cast<int>(slice < 0 ? left : std::min<long long>(slice, left));
        }
        pollfd entries[2] = {{socket, events, 0}, {wake != nullptr ? wake->fd() : -1, POLLIN, 0}};
        const int result = ::poll(entries, 2, slice);
        if (result > 0 && entries[0].revents != 0) {
            return (entries[0].revents & POLLNVAL) != 0 ? Readiness::Failed : Readiness::Ready;
        }
        if (result > 0 && wake != nullptr) wake->Drain();
        if (result < 0 && errno != EINTR) return Readiness::Failed;
        if (timeoutMs >= 0 && MillisecondsSince(start) >= timeoutMs) return Readiness::TimedOut;
    }
}

bool PauseUnlessStopped(int milliseconds, const StopFlag* stop) {
    // poll ignores entries with a negative descriptor, so this waits for the flag or the time.
    return WaitForSocket(-1, 0, stop, milliseconds) == Readiness::TimedOut;
}

}  // namespace net::detail
