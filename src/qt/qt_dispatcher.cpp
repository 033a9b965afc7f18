#include "qt/qt_dispatcher.h"

#include <QMetaObject>

namespace qtui {

QtDispatcher::QtDispatcher(QObject* parent) : QObject(parent) {
    if (queue_.WakeDescriptor() >= 0) {
        notifier_ =
            std::make_unique<QSocketNotifier>(queue_.WakeDescriptor(), QSocketNotifier::Read);
        connect(notifier_.get(), &QSocketNotifier::activated, this, &QtDispatcher::RunQueued);
    }
}

QtDispatcher::~QtDispatcher() {
    queue_.BeginShutdown();
}

void QtDispatcher::RunCounted(const std::function<void()>& call) {
    ++depth_;
    call();
    --depth_;
    // Not from here: the queue still holds this call as running, and the stop joins the thread
    // that waits for it. The event loop runs the stop once this call is done.
    if (depth_ == 0 && deferredStop_) {
        QMetaObject::invokeMethod(this, &QtDispatcher::RunDeferredStop, Qt::QueuedConnection);
    }
}

bool QtDispatcher::RunOnUiThread(const std::function<void()>& call) {
    return queue_.RunOnUiThread([this, &call] { RunCounted(call); });
}

void QtDispatcher::Post(std::function<void()> call) {
    queue_.Post([this, call = std::move(call)] { RunCounted(call); });
}

void QtDispatcher::BeginShutdown() {
    queue_.BeginShutdown();
    if (notifier_) notifier_->setEnabled(false);
}

bool QtDispatcher::ShutdownBegun() const {
    return queue_.ShutdownBegun();
}

void QtDispatcher::ShutdownWhenIdle(std::function<void()> stop) {
    if (stopRequested_) return;
    stopRequested_ = true;
    // Callers still waiting in the queue are released now; the running handler finishes.
    BeginShutdown();
    if (depth_ == 0) {
        stop();
        return;
    }
    deferredStop_ = std::move(stop);
}

void QtDispatcher::RunQueued() {
    queue_.RunPending();
}

void QtDispatcher::RunDeferredStop() {
    if (depth_ != 0 || !deferredStop_) return;
    auto stop = std::move(deferredStop_);
    deferredStop_ = nullptr;
    stop();
}

}  // namespace qtui
