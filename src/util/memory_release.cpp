#include "util/memory_release.h"

// Any C library header defines __GLIBC__ where the C library is glibc.
#include <cstdlib>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace util {

void ReturnLargeBlocksWhenFreed() {
#if defined(__GLIBC__)
    // Setting the bound at all keeps the library from moving it (and the trim bound with it).
    // A download's 1,024,000-byte chunk buffer stays below it, in the heap. The front ends call
    // this before they start any thread.
    ::mallopt(M_MMAP_THRESHOLD, 1 << 20);  // NOLINT(concurrency-mt-unsafe)
#endif
}

}  // namespace util
