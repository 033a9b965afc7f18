#include "discovery/announcement_gate.h"

#include <algorithm>

namespace discovery {

namespace {

// The time after which a drained allowance is whole again.
constexpr std::int64_t kRestedAfterMs =
    static_cast<std::int64_t>(AnnouncementGate::kBurst) * AnnouncementGate::kRefillMs;

}  // namespace

void AnnouncementGate::ForgetRested(std::int64_t nowMs) {
    std::erase_if(senders_, [&](const auto& entry) {
        return nowMs - entry.second.updatedMs >= kRestedAfterMs;
    });
}

bool AnnouncementGate::Admit(Ipv4 sender, std::int64_t nowMs, bool* repeated) {
    auto found = senders_.find(sender);
    if (repeated != nullptr) *repeated = found != senders_.end();
    if (found == senders_.end()) {
        if (senders_.size() >= kMaxTracked) ForgetRested(nowMs);
        // Still full: every tracked sender floods right now, and a newcomer waits its turn.
        if (senders_.size() >= kMaxTracked) return false;
        found = senders_.emplace(sender, Allowance{kBurst, nowMs}).first;
    }
    Allowance& allowance = found->second;
    const auto elapsed = std::max<std::int64_t>(nowMs - allowance.updatedMs, 0);
    allowance.tokens =
        std::min(kBurst, allowance.tokens + static_cast<double>(elapsed) / kRefillMs);
    allowance.updatedMs = nowMs;
    if (allowance.tokens < 1) return false;
    allowance.tokens -= 1;
    return true;
}

}  // namespace discovery
