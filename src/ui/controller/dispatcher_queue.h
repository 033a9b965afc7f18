// A dispatcher for front ends that run their own loop on the UI thread (the headless daemon and
// the tests): network threads queue their calls, the UI thread runs them when it pumps. A loop
// that also waits for other descriptors (signals, standard input) polls WakeDescriptor beside them.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "ui/controller/dispatcher.h"

namespace ui {

class QueuedDispatcher final : public Dispatcher {
public:
    // The constructing thread becomes the UI thread. Throws std::runtime_error with a message for
    // the user when the wake-up descriptor cannot be made.
    QueuedDispatcher();
    ~QueuedDispatcher() override;
    QueuedDispatcher(const QueuedDispatcher&) = delete;
    QueuedDispatcher& operator=(const QueuedDispatcher&) = delete;

    bool RunOnUiThread(const std::function<void()>& call) override;
    void Post(std::function<void()> call) override;
    void BeginShutdown() override;
    bool ShutdownBegun() const override;

    // UI thread: runs the calls queued so far, in arrival order; returns how many ran.
    std::size_t RunPending();
    // UI thread: waits until a call is queued, Wake is called or `timeout` passes, then runs what
    // is queued. Returns how many ran.
    std::size_t WaitAndRun(std::chrono::milliseconds timeout);
    // Any thread: ends a WaitAndRun early and makes WakeDescriptor readable.
    void Wake();
    // Readable while calls are queued or after Wake, until RunPending or WaitAndRun takes them.
    int WakeDescriptor() const { return wakeFd_; }

    // Calls queued and not yet taken by the UI thread.
    std::size_t QueuedCount() const;

private:
    enum class State { Queued, Running, Done, Dropped };
    // Each caller waits on its own condition: a busy host has many network threads waiting at
    // once, and waking all of them for every call that ends costs more than the calls.
    struct Pending {
        const std::function<void()>* call = nullptr;
        State state = State::Queued;
        std::condition_variable finished;
        // A posted call is owned by its entry, which the queue deletes; nobody waits for it.
        bool posted = false;
        std::function<void()> ownCall;
    };
    // Called with lock_ held.
    void Enqueue(Pending* pending);

    bool OnUiThread() const { return std::this_thread::get_id() == uiThread_; }
    void SignalDescriptor();
    void DrainDescriptor();

    const std::thread::id uiThread_;
    const int wakeFd_;
    std::atomic<bool> shutdown_{false};

    mutable std::mutex lock_;
    std::condition_variable queued_;
    std::deque<Pending*> queue_;
    bool woken_ = false;
};

}  // namespace ui
