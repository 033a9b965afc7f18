#include "web/header_deadline.h"

#include <algorithm>
#include <chrono>
#include <limits>

#include "util/steady_ms.h"

namespace web {

struct HeaderDeadline::Watch {
    int descriptor = -1;
    // When the current head must be complete; the largest value while a request is answered.
    std::int64_t deadline = 0;
    std::list<Watch>::iterator self;
};

namespace {
constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::max();
}

HeaderDeadline::HeaderDeadline(std::int64_t limitMs, std::function<void(int)> cut)
    : limitMs_(limitMs), cut_(std::move(cut)), thread_([this] { Run(); }) {}

HeaderDeadline::~HeaderDeadline() {
    {
        std::lock_guard guard(lock_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

HeaderDeadline::Watch* HeaderDeadline::Add(int descriptor) {
    std::lock_guard guard(lock_);
    watches_.push_back(Watch{descriptor, SteadyMilliseconds() + limitMs_, {}});
    Watch* watch = &watches_.back();
    watch->self = std::prev(watches_.end());
    changed_.notify_all();
    return watch;
}

void HeaderDeadline::Answering(Watch* watch) {
    if (watch == nullptr) return;
    std::lock_guard guard(lock_);
    watch->deadline = kNever;
}

void HeaderDeadline::Waiting(Watch* watch) {
    if (watch == nullptr) return;
    std::lock_guard guard(lock_);
    watch->deadline = SteadyMilliseconds() + limitMs_;
    changed_.notify_all();
}

void HeaderDeadline::Forget(Watch* watch) {
    if (watch == nullptr) return;
    std::lock_guard guard(lock_);
    watches_.erase(watch->self);
}

void HeaderDeadline::Run() {
    std::unique_lock guard(lock_);
    while (!stopping_) {
        const std::int64_t now = SteadyMilliseconds();
        std::int64_t next = kNever;
        for (Watch& watch : watches_) {
            if (watch.deadline <= now) {
                // Under the lock: Forget runs before the engine closes the descriptor, so it
                // cannot have been reused for another connection yet.
                cut_(watch.descriptor);
                watch.deadline = kNever;
            }
            next = std::min(next, watch.deadline);
        }
        // Sleeps without waking while nothing waits for its head.
        if (next == kNever) {
            changed_.wait(guard);
        } else {
            changed_.wait_for(guard, std::chrono::milliseconds(next - now));
        }
    }
}

}  // namespace web
