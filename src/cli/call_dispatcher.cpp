#include "cli/call_dispatcher.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

namespace cli {

CallDispatcher::CallDispatcher()
    : mainThread_(std::this_thread::get_id()), wakeFd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

CallDispatcher::~CallDispatcher() {
    if (wakeFd_ >= 0) close(wakeFd_);
}

bool CallDispatcher::Call(const std::function<void()>& call) {
    if (std::this_thread::get_id() == mainThread_) {
        if (ShuttingDown()) return false;
        call();
        return true;
    }
    PendingCall pending{&call, false};
    std::unique_lock guard(lock_);
    if (shuttingDown_) return false;
    queue_.push_back(&pending);
    Wake();
    handled_.wait(guard, [&] { return pending.done || shuttingDown_; });
    // BeginShutdown empties the queue, so no pointer to `pending` outlives this frame.
    return pending.done;
}

void CallDispatcher::RunPending() {
    DrainWake();
    while (true) {
        PendingCall* next = nullptr;
        {
            std::lock_guard guard(lock_);
            if (shuttingDown_ || queue_.empty()) return;
            next = queue_.front();
            queue_.pop_front();
        }
        // The caller is blocked until `done`, so its call object stays valid while it runs.
        (*next->call)();
        {
            std::lock_guard guard(lock_);
            next->done = true;
        }
        handled_.notify_all();
    }
}

void CallDispatcher::BeginShutdown() {
    {
        std::lock_guard guard(lock_);
        shuttingDown_ = true;
        queue_.clear();
    }
    handled_.notify_all();
}

bool CallDispatcher::ShuttingDown() const {
    std::lock_guard guard(lock_);
    return shuttingDown_;
}

void CallDispatcher::Wake() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = write(wakeFd_, &one, sizeof one);
}

void CallDispatcher::DrainWake() {
    std::uint64_t count = 0;
    [[maybe_unused]] const auto got = read(wakeFd_, &count, sizeof count);
}

}  // namespace cli
