// Millisecond tick counts for the controller's timers and countdowns; tests substitute their own.
#pragma once

#include <chrono>
#include <cstdint>

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
        const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
        return static_cast<std::uint32_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count());
    }
};

}  // namespace ui
