#include "net/rate_limiter.h"

#include <algorithm>
#include <chrono>

#include "net/readiness.h"

namespace net {
namespace {

constexpr std::int64_t kMicrosPerSecond = 1'000'000;
// Unused budget kept after an idle spell: a quarter of a second's worth.
constexpr std::int64_t kKeptIdleMicros = kMicrosPerSecond / 4;
// Blocks under a limit: a tenth of a second's worth, but never tiny.
constexpr std::uint64_t kBlocksPerSecond = 10;
constexpr std::size_t kSmallestBlock = 4096;

}  // namespace

RateLimiter::RateLimiter(Clock now) : now_(std::move(now)) {}

std::int64_t RateLimiter::SteadyMicroseconds() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

void RateLimiter::SetLimit(std::uint64_t bytesPerSecond) {
    const std::lock_guard lock(mutex_);
    limit_ = bytesPerSecond;
    budgetTime_ = now_();
}

std::uint64_t RateLimiter::Limit() const {
    const std::lock_guard lock(mutex_);
    return limit_;
}

std::int64_t RateLimiter::Take(std::uint64_t bytes) {
    const std::lock_guard lock(mutex_);
    if (limit_ == 0) return 0;
    const std::int64_t now = now_();
    budgetTime_ = std::max(budgetTime_, now - kKeptIdleMicros);
    // In whole seconds and the rest, so that no product overflows for any byte count.
    const auto seconds = static_cast<std::int64_t>(bytes / limit_);
    const auto rest = static_cast<std::int64_t>((bytes % limit_) * kMicrosPerSecond / limit_);
    budgetTime_ += seconds * kMicrosPerSecond + rest;
    return std::max<std::int64_t>(budgetTime_ - now, 0);
}

std::size_t RateLimiter::BlockSize(std::size_t wanted) const {
    const std::lock_guard lock(mutex_);
    if (limit_ == 0) return wanted;
    const auto block = static_cast<std::size_t>(
        std::max<std::uint64_t>(limit_ / kBlocksPerSecond, kSmallestBlock));
    return std::min(wanted, block);
}

RateLimiter& DownloadRateLimiter() {
    static RateLimiter limiter;
    return limiter;
}

bool PaceDownload(std::uint64_t bytes, const StopFlag* stop) {
    std::int64_t waitMicros = DownloadRateLimiter().Take(bytes);
    if (waitMicros <= 0) return !detail::IsStopped(stop);
    // Rounded up, so that the loop never asks again before its budget is there.
    const auto waitMs = static_cast<int>(
        std::min<std::int64_t>((waitMicros + 999) / 1000, std::numeric_limits<int>::max()));
    return detail::PauseUnlessStopped(waitMs, stop);
}

}  // namespace net
