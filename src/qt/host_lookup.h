// Name resolution for "Add host manually" without freezing the window: the lookup runs on a
// thread of its own while the window keeps repainting, and a lookup that takes too long counts as
// a name that cannot be resolved.
#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "core/types.h"

namespace qtui {

inline constexpr std::chrono::milliseconds kHostLookupLimit{5000};

using BlockingLookup = std::function<bool(const std::string& host, Ipv4& address)>;

// Runs `lookup` off the UI thread and waits for it at most `limit`, processing paint and timer
// events meanwhile (user input waits). A lookup still running at the limit is left to finish on
// its own; its answer is then ignored.
bool LookUpHostWithoutFreezing(const std::string& host, Ipv4& address, const BlockingLookup& lookup,
                               std::chrono::milliseconds limit = kHostLookupLimit);

}  // namespace qtui
