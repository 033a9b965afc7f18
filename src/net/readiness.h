// Stop-aware waiting on one socket. A waiting thread sleeps until the socket is ready, the time is
// up or the stop flag is set (which wakes it at once); an idle socket costs no CPU.
#pragma once

#include <chrono>

#include "core/types.h"
#include "net/socket.h"

namespace net::detail {

// Only when the wake-up event cannot be made: how often a wait then looks at the stop flag.
inline constexpr int kWaitSliceMs = 100;

enum class Readiness { Ready, Stopped, TimedOut, Failed };

using ::IsStopped;

// Whether the socket is in non-blocking mode, where a send or receive never waits by itself.
bool IsNonBlocking(Socket socket);

// Waits until poll reports `events` (or an error/hang-up, which the next call then meets) on the
// socket; a negative socket waits for the time or the flag alone. timeoutMs < 0 waits until the
// stop flag is set.
Readiness WaitForSocket(Socket socket, short events, const StopFlag* stop, int timeoutMs);

// Sleeps up to `milliseconds`; false when the stop flag ended it.
bool PauseUnlessStopped(int milliseconds, const StopFlag* stop);

using Clock = std::chrono::steady_clock;

inline long long MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

}  // namespace net::detail
