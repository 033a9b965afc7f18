// Keeps a write to a connection that the peer has reset from killing the process. send() can be
// told so per call (MSG_NOSIGNAL); sendfile() cannot, so the signal is blocked for the calling
// thread only and a SIGPIPE raised meanwhile is taken off the thread again before the block ends.
#pragma once

#include <csignal>

namespace net::detail {

class SigpipeGuard {
public:
    SigpipeGuard();
    ~SigpipeGuard();
    SigpipeGuard(const SigpipeGuard&) = delete;
    SigpipeGuard& operator=(const SigpipeGuard&) = delete;

private:
    sigset_t previousMask_{};
    bool restoreMask_ = false;
    // A SIGPIPE that was already waiting is someone else's and stays.
    bool alreadyPending_ = false;
};

}  // namespace net::detail
