// Millisecond tick counts for the controller's timers and countdowns; tests substitute their own.
#pragma once

#include <cstdint>

#include "util/steady_ms.h"

namespace ui {

class Clock {
public:
    virtual ~Clock() = default;
    // A 32-bit millisecond count that wraps; only differences between two readings matter.
    virtual std::uint32_t NowMs() const = 0;
};

class SteadyClock final : public Clock {
public:
    std::uint32_t NowMs() const override {
        return static_cast<std::uint32_t>(SteadyMilliseconds());
    }
};

}  // namespace ui
