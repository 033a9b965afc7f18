// The one place where network threads hop onto the user-interface thread.
//
// Every listener call of a network thread becomes one call on the UI thread, and the network
// thread waits until it has run, so handlers may read the caller's data in place and the caller's
// state does not change under them. Once shutdown has begun, calls return at once without running:
// the UI thread is then joining the very threads that would otherwise wait for it.
#pragma once

#include <functional>

namespace ui {

class Dispatcher {
public:
    virtual ~Dispatcher() = default;

    // Runs `call` on the UI thread and returns after it has run; called on the UI thread itself it
    // runs at once. Returns false, without running `call`, once shutdown has begun; callers that
    // are still waiting at that moment are released the same way.
    virtual bool RunOnUiThread(const std::function<void()>& call) = 0;

    // Queues `call` to run on the UI thread after everything queued before it, and returns at
    // once; on the UI thread itself it runs at once. For reports that answer nothing (progress,
    // a transfer's start and end): the reporting thread goes on instead of waiting for the UI.
    // Dropped without running once shutdown has begun.
    virtual void Post(std::function<void()> call) = 0;

    // From now on RunOnUiThread returns false at once. Called on the UI thread; a call that is
    // running at that moment is not interrupted.
    virtual void BeginShutdown() = 0;
    virtual bool ShutdownBegun() const = 0;
};

}  // namespace ui
