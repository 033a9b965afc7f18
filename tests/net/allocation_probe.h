// Records the largest single allocation made by the current thread while a probe is alive, so a
// test can show that a hostile length header did not make us allocate what it claimed.
#pragma once

#include <cstddef>

namespace net_test {

class AllocationProbe {
public:
    AllocationProbe();
    ~AllocationProbe();
    AllocationProbe(const AllocationProbe&) = delete;
    AllocationProbe& operator=(const AllocationProbe&) = delete;

    std::size_t Largest() const;
};

}  // namespace net_test
