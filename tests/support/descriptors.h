// Runs a piece of a test with the process out of descriptors: the soft limit is lowered and what
// is left of it is taken, until the object ends.
#pragma once

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

namespace testing_support {

class DescriptorsExhausted {
public:
    DescriptorsExhausted() {
        ::getrlimit(RLIMIT_NOFILE, &saved_);
        rlimit lowered = saved_;
        lowered.rlim_cur = std::min<rlim_t>(saved_.rlim_cur, kLimit);
        ::setrlimit(RLIMIT_NOFILE, &lowered);
        for (int fd = ::fcntl(0, F_DUPFD_CLOEXEC, 0); fd >= 0;
             fd = ::fcntl(0, F_DUPFD_CLOEXEC, 0)) {
            taken_.push_back(fd);
        }
    }
    ~DescriptorsExhausted() {
        for (const int fd : taken_) ::close(fd);
        ::setrlimit(RLIMIT_NOFILE, &saved_);
    }
    DescriptorsExhausted(const DescriptorsExhausted&) = delete;
    DescriptorsExhausted& operator=(const DescriptorsExhausted&) = delete;

private:
    static constexpr rlim_t kLimit = 512;
    rlimit saved_{};
    std::vector<int> taken_;
};

// Open descriptors of this process.
inline int OpenDescriptors() {
    int count = 0;
    for (int fd = 0; fd < 4096; ++fd) count += ::fcntl(fd, F_GETFD) >= 0 ? 1 : 0;
    return count;
}

}  // namespace testing_support
