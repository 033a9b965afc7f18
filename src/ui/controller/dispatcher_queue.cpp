#include "ui/controller/dispatcher_queue.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <memory>
#include <stdexcept>

#include "ui/text/ui_strings.h"
#include "util/wake_event.h"

namespace ui {

namespace {

// A loop that polls the descriptor would never hear of a queued call without it: every report of
// the network threads would wait for ever.
int MakeWakeDescriptor() {
    const int fd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (fd < 0) {
        throw std::runtime_error(
            Translate("Cannot create the event that wakes the main loop (too many open files?)."));
    }
    return fd;
}

}  // namespace

QueuedDispatcher::QueuedDispatcher()
    : uiThread_(std::this_thread::get_id()), wakeFd_(MakeWakeDescriptor()) {}

QueuedDispatcher::~QueuedDispatcher() {
    BeginShutdown();
    close(wakeFd_);
}

void QueuedDispatcher::SignalDescriptor() {
    util::SignalWakeEvent(wakeFd_);
}

void QueuedDispatcher::DrainDescriptor() {
    util::DrainWakeEvent(wakeFd_);
}

bool QueuedDispatcher::RunOnUiThread(const std::function<void()>& call) {
    if (shutdown_.load()) return false;
    if (OnUiThread()) {
        call();
        return true;
    }
    Pending pending;
    pending.call = &call;
    std::unique_lock<std::mutex> guard(lock_);
    // Checked again under the lock: BeginShutdown drops the queue under it, and nothing may be
    // queued after that.
    if (shutdown_.load()) return false;
    Enqueue(&pending);
    pending.finished.wait(
        guard, [&] { return pending.state == State::Done || pending.state == State::Dropped; });
    return pending.state == State::Done;
}

void QueuedDispatcher::Enqueue(Pending* pending) {
    queue_.push_back(pending);
    queued_.notify_all();
    SignalDescriptor();
}

void QueuedDispatcher::Post(std::function<void()> call) {
    if (shutdown_.load()) return;
    if (OnUiThread()) {
        call();
        return;
    }
    auto pending = std::make_unique<Pending>();
    pending->posted = true;
    pending->ownCall = std::move(call);
    pending->call = &pending->ownCall;
    std::lock_guard<std::mutex> guard(lock_);
    if (shutdown_.load()) return;
    Enqueue(pending.release());
}

void QueuedDispatcher::BeginShutdown() {
    std::lock_guard<std::mutex> guard(lock_);
    shutdown_.store(true);
    for (Pending* pending : queue_) {
        if (pending->posted) {
            delete pending;  // NOLINT(cppcoreguidelines-owning-memory): released by Post
            continue;
        }
        pending->state = State::Dropped;
        pending->finished.notify_one();
    }
    queue_.clear();
    woken_ = true;
    queued_.notify_all();
}

bool QueuedDispatcher::ShutdownBegun() const {
    return shutdown_.load();
}

std::size_t QueuedDispatcher::RunPending() {
    // Before the queue is looked at: a call queued from now on makes the descriptor readable
    // again, so a poll loop never sleeps on a waiting call.
    DrainDescriptor();
    std::size_t ran = 0;
    std::unique_lock<std::mutex> guard(lock_);
    // Only the calls queued before this pass: a handler that makes a network thread report again
    // must not keep the UI thread here forever.
    std::size_t budget = queue_.size();
    while (budget-- > 0 && !queue_.empty()) {
        Pending* pending = queue_.front();
        queue_.pop_front();
        pending->state = State::Running;
        guard.unlock();
        (*pending->call)();
        if (pending->posted) {
            delete pending;  // NOLINT(cppcoreguidelines-owning-memory): released by Post
            guard.lock();
            ++ran;
            continue;
        }
        guard.lock();
        // The waiting caller may return and destroy `pending` as soon as it sees Done.
        pending->state = State::Done;
        pending->finished.notify_one();
        ++ran;
    }
    return ran;
}

std::size_t QueuedDispatcher::WaitAndRun(std::chrono::milliseconds timeout) {
    {
        std::unique_lock<std::mutex> guard(lock_);
        queued_.wait_for(guard, timeout, [&] { return !queue_.empty() || woken_; });
        woken_ = false;
    }
    return RunPending();
}

void QueuedDispatcher::Wake() {
    std::lock_guard<std::mutex> guard(lock_);
    woken_ = true;
    queued_.notify_all();
    SignalDescriptor();
}

std::size_t QueuedDispatcher::QueuedCount() const {
    std::lock_guard<std::mutex> guard(lock_);
    return queue_.size();
}

}  // namespace ui
