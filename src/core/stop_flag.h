// Stop, shutdown and cancel flags: owned by whoever may want to give up, read by the worker that
// should notice. A null pointer means "no flag".
//
// Setting a flag also calls the StopWakers registered on it, so that a thread can sleep in poll or
// on a condition variable until there is work or the flag is set, instead of waking up every few
// milliseconds to look at it: with dozens of idle connection threads those wake-ups were most of
// an idle program's CPU time.
#pragma once

#include <atomic>
#include <mutex>

class StopWaker;

class StopFlag {
public:
    StopFlag() = default;
    explicit StopFlag(bool set) : set_(set) {}
    StopFlag(const StopFlag&) = delete;
    StopFlag& operator=(const StopFlag&) = delete;

    bool load() const { return set_.load(); }
    explicit operator bool() const { return load(); }
    // Setting the flag calls every registered waker on the calling thread, so it must not be set
    // while holding a lock that a waker takes.
    void store(bool set);
    StopFlag& operator=(bool set) {
        store(set);
        return *this;
    }

private:
    friend class StopWaker;

    std::atomic<bool> set_{false};
    mutable std::mutex wakersLock_;
    mutable StopWaker* firstWaker_ = nullptr;
};

inline bool IsStopped(const StopFlag* stop) {
    return stop != nullptr && stop->load();
}

// While it lives, `wake(context)` is called whenever `flag` is set. A flag set before the waker was
// registered calls nothing: register first, then look at the flag, then sleep. A null flag is
// never set, so nothing is registered.
class StopWaker {
public:
    using WakeFunction = void (*)(void* context);

    StopWaker(const StopFlag* flag, WakeFunction wake, void* context);
    ~StopWaker();
    StopWaker(const StopWaker&) = delete;
    StopWaker& operator=(const StopWaker&) = delete;

private:
    friend class StopFlag;

    const StopFlag* flag_;
    WakeFunction wake_;
    void* context_;
    StopWaker* previous_ = nullptr;
    StopWaker* next_ = nullptr;
};

// Sets `target` whenever `source` is set: a component whose calls all watch its own flag hands its
// owner's shutdown on through one of these.
class StopRelay {
public:
    StopRelay(const StopFlag* source, StopFlag& target)
        : waker_(
              source, [](void* flag) { static_cast<StopFlag*>(flag)->store(true); }, &target) {}

private:
    StopWaker waker_;
};
