#include "util/descriptor_limit.h"

#include <sys/resource.h>

#include <algorithm>

namespace util {

void RaiseDescriptorLimit() {
    constexpr rlim_t kEnough = 65536;
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return;
    const rlim_t wanted = std::min(limit.rlim_max, kEnough);
    if (limit.rlim_cur >= wanted) return;
    limit.rlim_cur = wanted;
    ::setrlimit(RLIMIT_NOFILE, &limit);
}

}  // namespace util

namespace util {

int DescriptorLimit() {
    constexpr rlim_t kAssumed = 1024;
    constexpr rlim_t kLargest = 1 << 20;
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) {
        return static_cast<int>(kAssumed);
    }
    return static_cast<int>(std::min(limit.rlim_cur, kLargest));
}

}  // namespace util
