#include "util/memory_release.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace util {

void ReleaseFreedMemory() {
#if defined(__GLIBC__)
    ::malloc_trim(0);
#endif
}

}  // namespace util
