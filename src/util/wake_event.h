// An eventfd that wakes a thread sleeping in poll: signalled by whoever has news for it, drained by
// the thread once it woke. A full or closed counter needs no handling: it is readable already, or
// nobody is waiting.
//
// Every thread that sleeps in poll uses its own one (ThisThreadWakeEvent), made on its first use:
// a watched host then costs one event for its waiting thread beside its socket, never a second one
// for the component that runs on that thread.
#pragma once

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

namespace util {

inline void SignalWakeEvent(int fd) {
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(fd, &one, sizeof one);
}

inline void DrainWakeEvent(int fd) {
    std::uint64_t count = 0;
    [[maybe_unused]] const auto read = ::read(fd, &count, sizeof count);
}

class WakeEvent {
public:
    WakeEvent() : fd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}
    ~WakeEvent() {
        if (fd_ >= 0) ::close(fd_);
    }
    WakeEvent(const WakeEvent&) = delete;
    WakeEvent& operator=(const WakeEvent&) = delete;

    // False when no descriptor was left to make it: its owner then looks at its flags in slices.
    bool valid() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    void Signal() const {
        if (fd_ >= 0) SignalWakeEvent(fd_);
    }
    void Drain() const {
        if (fd_ >= 0) DrainWakeEvent(fd_);
    }

private:
    int fd_;
};

// The calling thread's event, made on its first use and closed when the thread ends.
inline WakeEvent& ThisThreadWakeEvent() {
    thread_local WakeEvent event;
    return event;
}

}  // namespace util
