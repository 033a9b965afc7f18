// The Qt event loop's way onto the UI thread for the network threads.
//
// A network thread's call is queued and its thread waits until the UI thread has run it; the
// event loop notices queued calls through the queue's wake descriptor. Calls made on the UI
// thread run at once. Once shutdown has begun, callers are released without running.
//
// Closing may be asked for while a handler runs (the user closes the window from a question the
// handler shows). The network threads are joined only after the outermost handler has returned:
// joining earlier would wait for the thread that is itself waiting for that handler.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <functional>
#include <memory>

#include "ui/controller/dispatcher.h"
#include "ui/controller/dispatcher_queue.h"

namespace qtui {

class QtDispatcher final : public QObject, public ui::Dispatcher {
    Q_OBJECT
public:
    // The constructing thread becomes the UI thread.
    explicit QtDispatcher(QObject* parent = nullptr);
    ~QtDispatcher() override;

    bool RunOnUiThread(const std::function<void()>& call) override;
    void Post(std::function<void()> call) override;
    void BeginShutdown() override;
    bool ShutdownBegun() const override;

    // UI thread: runs `stop` (which joins the network threads) at once when no handler is
    // running, else as soon as the outermost running handler has returned. Only the first
    // request counts.
    void ShutdownWhenIdle(std::function<void()> stop);
    // Handlers running on the UI thread right now (nested ones counted).
    int RunningHandlers() const { return depth_; }

private:
    void RunQueued();
    // Runs `call` as a handler: counted, and a stop asked for inside it waits until it returns.
    void RunCounted(const std::function<void()>& call);
    void RunDeferredStop();

    ui::QueuedDispatcher queue_;
    std::unique_ptr<QSocketNotifier> notifier_;
    int depth_ = 0;
    std::function<void()> deferredStop_;
    bool stopRequested_ = false;
};

}  // namespace qtui
