#include "cli/signal_watch.h"

#include <sys/signalfd.h>
#include <unistd.h>

namespace cli {

namespace {

sigset_t StopSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}

}  // namespace

SignalWatch::SignalWatch() {
    const sigset_t set = StopSignals();
    if (pthread_sigmask(SIG_BLOCK, &set, &previousMask_) != 0) return;
    masked_ = true;
    fd_ = signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
}

SignalWatch::~SignalWatch() {
    if (fd_ >= 0) close(fd_);
    if (masked_) pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
}

int SignalWatch::Take() {
    signalfd_siginfo info{};
    if (fd_ < 0 || read(fd_, &info, sizeof info) != static_cast<ssize_t>(sizeof info)) return 0;
    return static_cast<int>(info.ssi_signo);
}

void IgnoreBrokenPipes() {
    signal(SIGPIPE, SIG_IGN);
}

}  // namespace cli
