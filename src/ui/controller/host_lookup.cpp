#include "ui/controller/host_lookup.h"

#include <mutex>
#include <thread>

namespace ui {

struct HostLookup::Result {
    std::mutex lock;
    bool done = false;
    bool found = false;
    Ipv4 address = 0;
};

HostLookup::HostLookup(const std::string& text, const HostResolver& resolve, std::uint32_t nowMs)
    : text_(text), startMs_(nowMs), result_(std::make_shared<Result>()) {
    // Detached: a resolver stuck in the system's lookup must not hold up the program's end.
    std::thread([result = result_, text, resolve] {
        Ipv4 address = 0;
        const bool found = resolve(text, address);
        const std::lock_guard guard(result->lock);
        result->done = true;
        result->found = found;
        result->address = address;
    }).detach();
}

std::optional<std::optional<Ipv4>> HostLookup::Poll(std::uint32_t nowMs) const {
    const std::lock_guard guard(result_->lock);
    if (result_->done) {
        return result_->found ? std::optional<Ipv4>(result_->address) : std::nullopt;
    }
    if (nowMs - startMs_ >= kHostLookupLimitMs) return std::optional<Ipv4>();
    return std::nullopt;
}

}  // namespace ui
