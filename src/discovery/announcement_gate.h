// Rate limit of announcements per sender address. A copy announces once a second (once per
// interface that reaches us); an address sending far more is flooding, and only a few of its
// datagrams a second are looked at.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>

#include "core/types.h"

namespace discovery {

class AnnouncementGate {
public:
    // Whether the announcement of `sender` arriving at `nowMs` is looked at. `repeated` tells
    // whether the sender was heard lately: a forged flood's addresses mostly are not, a copy
    // that announces once a second is.
    bool Admit(Ipv4 sender, std::int64_t nowMs, bool* repeated = nullptr);

    std::size_t TrackedSenders() const { return senders_.size(); }

    // A sender may send this many at once (several interfaces, a restart), then one per refill.
    static constexpr double kBurst = 3;
    static constexpr std::int64_t kRefillMs = 500;
    // Senders remembered at most: a flood of forged addresses cannot grow the table further;
    // senders whose allowance is whole again are forgotten first, as they lose nothing by it.
    static constexpr std::size_t kMaxTracked = 4096;

private:
    struct Allowance {
        double tokens = kBurst;
        std::int64_t updatedMs = 0;
    };
    void ForgetRested(std::int64_t nowMs);

    std::unordered_map<Ipv4, Allowance> senders_;
};

}  // namespace discovery
