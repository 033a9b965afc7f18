#include "ui/controller/remembered_host_watcher.h"

#include <mutex>
#include <system_error>
#include <thread>

namespace ui {

// Shared with the lookup thread, which may outlive the watcher: a lookup that hangs at shutdown
// must not hold the program.
struct RememberedHostWatcher::Round {
    std::mutex lock;
    bool done = false;
    std::vector<std::pair<std::string, Ipv4>> found;
};

RememberedHostWatcher::RememberedHostWatcher(Resolver resolve) : resolve_(std::move(resolve)) {}

std::vector<std::pair<std::string, Ipv4>> RememberedHostWatcher::Poll(
    const std::vector<std::string>& hosts, std::int64_t nowMs) {
    std::vector<std::pair<std::string, Ipv4>> found;
    if (running_) {
        {
            const std::lock_guard<std::mutex> hold(running_->lock);
            if (!running_->done) return found;
            found = std::move(running_->found);
        }
        running_.reset();
        // The period counts from a round's end, so that slow lookups never run back to back.
        nextMs_ = nowMs + kPeriodMs;
        return found;
    }
    if (hosts.empty() || (started_ && nowMs < nextMs_)) return found;
    started_ = true;
    nextMs_ = nowMs + kPeriodMs;
    auto round = std::make_shared<Round>();
    try {
        std::thread([round, hosts, resolve = resolve_] {
            std::vector<std::pair<std::string, Ipv4>> resolved;
            for (const std::string& host : hosts) {
                Ipv4 address = 0;
                if (resolve(host, address)) resolved.emplace_back(host, address);
            }
            const std::lock_guard<std::mutex> hold(round->lock);
            round->found = std::move(resolved);
            round->done = true;
        }).detach();
    } catch (const std::system_error&) {
        return found;  // no thread now: the next second tries again
    }
    running_ = std::move(round);
    return found;
}

}  // namespace ui
