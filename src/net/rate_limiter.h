// A byte budget per second shared by every download of the program: each receive loop accounts
// the block it just stored and waits as long as the budget says before it asks for more. Several
// downloads together move no more than the limit, however many run at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <mutex>

#include "core/types.h"

namespace net {

class RateLimiter {
public:
    // Microseconds on a monotonic clock; tests step it by hand.
    using Clock = std::function<std::int64_t()>;

    explicit RateLimiter(Clock now = SteadyMicroseconds);

    // 0 lifts the limit. A new limit counts from now: what moved before does not carry over.
    void SetLimit(std::uint64_t bytesPerSecond);
    std::uint64_t Limit() const;

    // Accounts `bytes` just received; returns the microseconds the caller is to wait before it
    // receives more. The budget that went unused while nobody received is kept only for a short
    // while, so an idle minute does not buy a minute's worth of bytes at full speed.
    std::int64_t Take(std::uint64_t bytes);

    // The most a receive loop should ask for in one block under the limit: about a tenth of a
    // second's worth, so that the waits stay short and even; `wanted` when there is no limit.
    std::size_t BlockSize(std::size_t wanted) const;

    static std::int64_t SteadyMicroseconds();

private:
    Clock now_;
    mutable std::mutex mutex_;
    std::uint64_t limit_ = 0;
    // When the bytes taken so far would have moved at the limit; later than now means the
    // takers are ahead of the budget by the difference.
    std::int64_t budgetTime_ = 0;
};

// The one limiter of the program's downloads, set from the options.
RateLimiter& DownloadRateLimiter();

// Accounts `bytes` with the downloads' limiter and waits as it says; a set stop flag ends the
// wait at once. False when stopped.
bool PaceDownload(std::uint64_t bytes, const StopFlag* stop);

}  // namespace net
