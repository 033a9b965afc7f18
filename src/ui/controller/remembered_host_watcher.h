// Looks the remembered hosts up again every little while, off the UI thread (a name lookup can
// take seconds), so that a host beyond the subnet comes back after a restart or an outage the way
// an announcement brings back a host of the subnet.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/types.h"

namespace ui {

class RememberedHostWatcher {
public:
    using Resolver = std::function<bool(const std::string& text, Ipv4& address)>;
    static constexpr std::int64_t kPeriodMs = 10'000;

    explicit RememberedHostWatcher(Resolver resolve);

    // UI thread. Starts a round of lookups when one is due and none runs; returns the hosts a
    // finished round found, each with its address (once per round).
    std::vector<std::pair<std::string, Ipv4>> Poll(const std::vector<std::string>& hosts,
                                                   std::int64_t nowMs);

private:
    struct Round;
    Resolver resolve_;
    std::shared_ptr<Round> running_;
    std::int64_t nextMs_ = 0;
    bool started_ = false;
};

}  // namespace ui
