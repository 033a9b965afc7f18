#include "allocation_probe.h"

#include <cstdlib>
#include <new>

namespace {
thread_local bool probing = false;
thread_local std::size_t largest = 0;

void* Allocate(std::size_t size) {
    if (probing && size > largest) largest = size;
    if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
    throw std::bad_alloc();
}
}  // namespace

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete[](void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    std::free(block);
}

namespace net_test {

AllocationProbe::AllocationProbe() {
    largest = 0;
    probing = true;
}

AllocationProbe::~AllocationProbe() {
    probing = false;
}

std::size_t AllocationProbe::Largest() const {
    return largest;
}

}  // namespace net_test
