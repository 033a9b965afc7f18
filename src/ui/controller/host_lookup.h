// The name lookup of "Add host manually", off the UI thread. The system's resolver cannot be
// cancelled, so the lookup runs on a thread of its own that may outlive the controller; it
// shares nothing with the controller but its own small result. The controller asks for the
// result on its timer, so the answer always arrives on the UI thread, and only while the
// controller still runs.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "core/types.h"
#include "ui/desktop/host_mru.h"

namespace ui {

// A lookup that has not answered after this long counts as a name that cannot be resolved.
inline constexpr std::uint32_t kHostLookupLimitMs = 5000;

class HostLookup {
public:
    // Starts looking `text` up at `nowMs` (the controller's clock).
    HostLookup(const std::string& text, const HostResolver& resolve, std::uint32_t nowMs);

    // The address once the lookup has found it; std::nullopt inside the optional when it failed
    // or ran out of time; no value while it still runs.
    std::optional<std::optional<Ipv4>> Poll(std::uint32_t nowMs) const;

    const std::string& Text() const { return text_; }

private:
    struct Result;
    std::string text_;
    std::uint32_t startMs_;
    std::shared_ptr<Result> result_;
};

}  // namespace ui
