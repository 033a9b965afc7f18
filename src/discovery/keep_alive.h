// One keep-alive connection to a known host: connect to its request port, then send "ping" once a
// period for as long as the connection stays open.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <thread>

#include "core/types.h"

class KeepAliveThread {
public:
    // Starts the thread at once; throws std::system_error when no thread can be started.
    // `shutdown` (may be null) is the shared shutdown flag; `onEnded` is called on the keep-alive
    // thread as its last action.
    KeepAliveThread(Ipv4 address, std::uint16_t port, int intervalMs, const StopFlag* shutdown,
                    std::function<void()> onEnded);
    // Asks the thread to end and joins it.
    ~KeepAliveThread();
    KeepAliveThread(const KeepAliveThread&) = delete;
    KeepAliveThread& operator=(const KeepAliveThread&) = delete;

    Ipv4 Address() const { return address_; }
    bool Ended() const { return ended_.load(); }
    // The connection to the host stood at least once: a forged address cannot get this far.
    bool Connected() const { return connected_.load(); }
    // Wakes the thread at once when it is idle; a network call notices within one of its slices.
    void RequestStop();
    void Join();

private:
    void Run();
    bool Stopping() const;
    // Waits until `deadline` (true) or until the peer closes its side (false).
    bool IdleUntil(std::chrono::steady_clock::time_point deadline, int socket) const;

    const Ipv4 address_;
    const std::uint16_t port_;
    const int intervalMs_;
    const StopFlag* shutdown_;
    std::function<void()> onEnded_;
    // Watched by the network calls; set by RequestStop and when the shutdown flag is seen.
    StopFlag ownStop_{false};
    std::atomic<bool> ended_{false};
    std::atomic<bool> connected_{false};
    // Readable once RequestStop has been called: lets an idle thread sleep until its next ping.
    int wakeEvent_ = -1;
    std::thread thread_;
};
