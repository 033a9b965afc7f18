// The largest single allocation that code makes on the current thread: to show that a hostile
// length did not make us allocate what it claimed, or that a small job needs no buffer sized for
// large ones. It replaces the program's operator new, so include it in one source file of a test
// program only.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <new>

namespace testing_support {

inline thread_local bool allocationProbing = false;
inline thread_local std::size_t largestAllocation = 0;

// Watches the allocations of the current thread while it lives.
class AllocationProbe {
public:
    AllocationProbe() {
        largestAllocation = 0;
        allocationProbing = true;
    }
    ~AllocationProbe() { allocationProbing = false; }
    AllocationProbe(const AllocationProbe&) = delete;
    AllocationProbe& operator=(const AllocationProbe&) = delete;

    std::size_t Largest() const { return largestAllocation; }
};

}  // namespace testing_support

void* operator new(std::size_t size) {
    using testing_support::largestAllocation;
    if (testing_support::allocationProbing && size > largestAllocation) largestAllocation = size;
    if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
    throw std::bad_alloc();
}
// Array forms and sized deletes keep their defaults, which end in these two.
void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}
