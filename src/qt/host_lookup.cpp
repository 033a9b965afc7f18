#include "qt/host_lookup.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace qtui {

namespace {

// Shared with the lookup thread, which may outlive the wait.
struct LookupState {
    std::mutex mutex;
    bool done = false;
    bool found = false;
    Ipv4 address = 0;
};

constexpr int kPollMs = 20;

}  // namespace

bool LookUpHostWithoutFreezing(const std::string& host, Ipv4& address, const BlockingLookup& lookup,
                               std::chrono::milliseconds limit) {
    auto state = std::make_shared<LookupState>();
    // Detached: a resolver stuck in the system's lookup cannot be cancelled, and the program must
    // not wait for it when it ends.
    std::thread([state, host, lookup] {
        Ipv4 found = 0;
        const bool ok = lookup(host, found);
        const std::lock_guard lock(state->mutex);
        state->done = true;
        state->found = ok;
        state->address = found;
    }).detach();

    const auto isDone = [&state] {
        const std::lock_guard lock(state->mutex);
        return state->done;
    };
    const auto deadline = std::chrono::steady_clock::now() + limit;
    QEventLoop wait;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &wait, [&] {
        if (isDone() || std::chrono::steady_clock::now() >= deadline) wait.quit();
    });
    if (!isDone()) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        poll.start(kPollMs);
        wait.exec(QEventLoop::ExcludeUserInputEvents);
        QApplication::restoreOverrideCursor();
    }
    const std::lock_guard lock(state->mutex);
    if (!state->done || !state->found) return false;
    address = state->address;
    return true;
}

}  // namespace qtui
