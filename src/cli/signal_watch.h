// SIGINT and SIGTERM as a descriptor the main loop polls. The signals are blocked in the calling
// thread before any worker starts, so every thread inherits the mask and only the descriptor
// receives them.
#pragma once

#include <csignal>

namespace cli {

class SignalWatch {
public:
    // Call on the main thread before starting any thread.
    SignalWatch();
    // Restores the signal mask of before; call on the same thread, after the workers ended.
    ~SignalWatch();
    SignalWatch(const SignalWatch&) = delete;
    SignalWatch& operator=(const SignalWatch&) = delete;

    bool Valid() const { return fd_ >= 0; }
    int Descriptor() const { return fd_; }
    // Consumes one pending signal; its number, or 0 when none was pending.
    int Take();

private:
    int fd_ = -1;
    sigset_t previousMask_{};
    bool masked_ = false;
};

// Writes to a closed pipe or socket should fail with EPIPE instead of ending the process.
void IgnoreBrokenPipes();

}  // namespace cli
