// The one place where network threads hand their events to the main thread. A listener call is
// queued, the main loop is woken through a descriptor it polls, and the calling thread waits until
// the main thread has handled the call, so the call may refer to the caller's own data.
//
// Once shutdown has begun, calls return at once without running: the main thread is then joining
// the very workers that would otherwise wait for it.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace cli {

class CallDispatcher {
public:
    // The constructing thread is the main thread.
    CallDispatcher();
    ~CallDispatcher();
    CallDispatcher(const CallDispatcher&) = delete;
    CallDispatcher& operator=(const CallDispatcher&) = delete;

    // Runs `call` on the main thread and returns true once it has run; on the main thread itself
    // it runs at once. False, without running it, once shutdown has begun.
    bool Call(const std::function<void()>& call);

    // Main thread: runs every call queued so far.
    void RunPending();

    // Becomes readable while calls wait; the main loop polls it and then calls RunPending.
    int WakeDescriptor() const { return wakeFd_; }

    // Main thread: drops the waiting calls and releases their callers; later calls return false.
    void BeginShutdown();
    bool ShuttingDown() const;

private:
    struct PendingCall {
        const std::function<void()>* call = nullptr;
        bool done = false;
    };

    void Wake();
    void DrainWake();

    const std::thread::id mainThread_;
    int wakeFd_ = -1;
    mutable std::mutex lock_;
    std::condition_variable handled_;
    std::deque<PendingCall*> queue_;
    bool shuttingDown_ = false;
};

}  // namespace cli
