#include "core/stop_flag.h"

void StopFlag::store(bool set) {
    set_.store(set);
    if (!set) return;
    std::lock_guard guard(wakersLock_);
    for (StopWaker* waker = firstWaker_; waker != nullptr; waker = waker->next_) {
        waker->wake_(waker->context_);
    }
}

StopWaker::StopWaker(const StopFlag* flag, WakeFunction wake, void* context)
    : flag_(flag), wake_(wake), context_(context) {
    if (flag_ == nullptr) return;
    std::lock_guard guard(flag_->wakersLock_);
    next_ = flag_->firstWaker_;
    if (next_ != nullptr) next_->previous_ = this;
    flag_->firstWaker_ = this;
}

StopWaker::~StopWaker() {
    if (flag_ == nullptr) return;
    std::lock_guard guard(flag_->wakersLock_);
    if (previous_ != nullptr) {
        previous_->next_ = next_;
    } else {
        flag_->firstWaker_ = next_;
    }
    if (next_ != nullptr) next_->previous_ = previous_;
}
