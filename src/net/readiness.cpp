#include "net/readiness.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "util/wake_event.h"

namespace net::detail {

namespace {

// One event per thread that waits on a stop flag, made on its first wait: a set flag makes it
// readable through a StopWaker, so a waiting thread sleeps until the socket or the flag needs it.
// Without it (out of descriptors) the waits fall back to slices.
class ThreadWakeEvent {
public:
    ThreadWakeEvent() : fd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}
    ~ThreadWakeEvent() {
        if (fd_ >= 0) ::close(fd_);
    }
    ThreadWakeEvent(const ThreadWakeEvent&) = delete;
    ThreadWakeEvent& operator=(const ThreadWakeEvent&) = delete;

    int fd() const { return fd_; }

    static void Signal(void* self) {
        util::SignalWakeEvent(static_cast<ThreadWakeEvent*>(self)->fd_);
    }
    // A flag set after an earlier wait had ended may have left the event readable.
    void Drain() const { util::DrainWakeEvent(fd_); }

private:
    int fd_;
};

ThreadWakeEvent& CurrentThreadWakeEvent() {
    thread_local ThreadWakeEvent event;
    return event;
}

}  // namespace

bool IsNonBlocking(Socket socket) {
    const int flags = ::fcntl(socket, F_GETFL, 0);
    return flags >= 0 && (flags & O_NONBLOCK) != 0;
}

Readiness WaitForSocket(Socket socket, short events, const StopFlag* stop, int timeoutMs) {
    ThreadWakeEvent* wake = nullptr;
    if (stop != nullptr && CurrentThreadWakeEvent().fd() >= 0) wake = &CurrentThreadWakeEvent();
    const StopWaker waker(wake != nullptr ? stop : nullptr, &ThreadWakeEvent::Signal, wake);
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
