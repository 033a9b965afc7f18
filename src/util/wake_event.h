// An eventfd that wakes a thread sleeping in poll: signalled by whoever has news for it, drained by
// the thread once it woke. A full or closed counter needs no handling: it is readable already, or
// nobody is waiting.
#pragma once

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

}  // namespace util
