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
