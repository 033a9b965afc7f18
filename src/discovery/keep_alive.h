// One keep-alive connection to a known host: connect to its request port, then send "ping" once a
// period for as long as the connection stays open.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <thread>

#include "core/types.h"

struct KeepAliveOptions {
    std::uint16_t port = kRequestPort;
    int intervalMs = 1000;
    // How long a ping may stay unacknowledged before the host counts as gone. Without it a host
    // whose cable was pulled keeps its place until TCP gives up its retransmissions, for minutes.
    int silentPeerLimitMs = 6000;
};

class KeepAliveThread {
public:
    // Starts the thread at once; throws std::system_error when no thread can be started.
    // `shutdown` (may be null) is the shared shutdown flag; `onChange` is called on the keep-alive
    // thread once the connection stands and as its last action.
    KeepAliveThread(Ipv4 address, KeepAliveOptions options, const StopFlag* shutdown,
                    std::function<void()> onChange);
    // Asks the thread to end and joins it.
    ~KeepAliveThread();
    KeepAliveThread(const KeepAliveThread&) = delete;
    KeepAliveThread& operator=(const KeepAliveThread&) = delete;

    Ipv4 Address() const { return address_; }
    bool Ended() const { return ended_.load(); }
    // The connection to the host stood at least once: a forged address cannot get this far.
    bool Connected() const { return connected_.load(); }
    // Wakes the thread at once, whatever it waits for.
    void RequestStop();
    void Join();

private:
    void Run();
    bool Stopping() const;
    // Waits until `deadline` (true) or until the peer closes its side or fails (false).
    bool IdleUntil(std::chrono::steady_clock::time_point deadline, int socket) const;

    const Ipv4 address_;
    const KeepAliveOptions options_;
    std::function<void()> onChange_;
    const StopFlag* shutdown_;
    // Watched by every wait of the thread; set by RequestStop and by the shutdown flag.
    StopFlag ownStop_{false};
    StopRelay shutdownRelay_;
    std::atomic<bool> ended_{false};
    std::atomic<bool> connected_{false};
    std::thread thread_;
};
