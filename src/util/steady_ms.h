// Milliseconds on the monotonic clock, for deadlines and timeouts that a change of the wall clock
// must not shorten or stretch.
#pragma once

#include <chrono>
#include <cstdint>

inline std::int64_t SteadyMilliseconds() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
