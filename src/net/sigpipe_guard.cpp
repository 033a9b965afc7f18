#include "net/sigpipe_guard.h"

#include <pthread.h>

#include <ctime>

namespace net::detail {
namespace {

sigset_t PipeSignalOnly() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGPIPE);
    return set;
}

bool IsPending() {
    sigset_t pending;
    sigemptyset(&pending);
    return sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1;
}

}  // namespace

SigpipeGuard::SigpipeGuard() : alreadyPending_(IsPending()) {
    const sigset_t pipe = PipeSignalOnly();
    if (pthread_sigmask(SIG_BLOCK, &pipe, &previousMask_) == 0) {
        restoreMask_ = sigismember(&previousMask_, SIGPIPE) != 1;
    }
}

SigpipeGuard::~SigpipeGuard() {
    if (!alreadyPending_ && IsPending()) {
        const sigset_t pipe = PipeSignalOnly();
        const timespec noWait{};
        sigtimedwait(&pipe, nullptr, &noWait);
    }
    if (restoreMask_) pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
}

}  // namespace net::detail
