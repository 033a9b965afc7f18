// The downloads' speed limit: its arithmetic on a clock the test steps by hand.
#include "net/rate_limiter.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

constexpr std::int64_t kSecond = 1'000'000;

class RateLimiterTest : public ::testing::Test {
protected:
    std::int64_t now = 50 * kSecond;
    net::RateLimiter limiter{[this] { return now; }};
};

// Receivers that wait exactly as told: whatever the blocks and however many take turns, the bytes
// moved over a span never exceed the limit's share of it by more than the kept idle budget.
TEST_F(RateLimiterTest, ReceiversThatWaitAsToldStayWithinTheLimit) {
    limiter.SetLimit(100'000);
    const std::int64_t start = now;
    std::uint64_t moved = 0;
    // Three downloads of uneven blocks, each as fast as the network would let it.
    const std::uint64_t blocks[] = {65'536, 4'096, 10'000};
    std::int64_t readyAt[3] = {start, start, start};
    while (now - start < 20 * kSecond) {
        for (int download = 0; download < 3; ++download) {
            if (readyAt[download] > now) continue;
            moved += blocks[download];
            readyAt[download] = now + limiter.Take(blocks[download]);
        }
        now += 1'000;  // a millisecond later
    }
    const double seconds = static_cast<double>(now - start) / kSecond;
    EXPECT_LE(static_cast<double>(moved), 100'000 * seconds + 65'536 + 25'000);
    // ... and not far below it either: a limiter that stalls is no limiter.
    EXPECT_GE(static_cast<double>(moved), 100'000 * seconds * 0.95);
}

TEST_F(RateLimiterTest, WaitsFollowTheBudgetAndIdleTimeBuysOnlyAShortBurst) {
    limiter.SetLimit(1'000);
    EXPECT_EQ(limiter.Take(500), kSecond / 2);
    EXPECT_EQ(limiter.Take(500), kSecond);  // ahead by a second now
    now += 2 * kSecond / 5;
    EXPECT_EQ(limiter.Take(0), 3 * kSecond / 5);
    // An hour idle keeps a quarter of a second's budget, not an hour's.
    now += 3600 * kSecond;
    EXPECT_EQ(limiter.Take(250), 0);
    EXPECT_EQ(limiter.Take(1), 1'000);
    // Huge counts neither overflow nor wrap to a short wait.
    EXPECT_GT(limiter.Take(std::uint64_t{1} << 50), 1000 * kSecond);
}

TEST_F(RateLimiterTest, NoLimitNeverWaitsAndANewLimitStartsAfresh) {
    EXPECT_EQ(limiter.Take(std::uint64_t{1} << 40), 0);
    EXPECT_EQ(limiter.BlockSize(1 << 20), std::size_t{1} << 20);
    limiter.SetLimit(10'000);
    EXPECT_EQ(limiter.Take(100'000), 10 * kSecond);
    // Small limits still ask for blocks a receive loop can use; larger ones a tenth of a second.
    EXPECT_EQ(limiter.BlockSize(1 << 20), 4096u);
    limiter.SetLimit(10'000'000);
    EXPECT_EQ(limiter.Take(0), 0);  // the old debt went with the old limit
    EXPECT_EQ(limiter.BlockSize(1 << 20), 1'000'000u);
    EXPECT_EQ(limiter.BlockSize(100), 100u);
    limiter.SetLimit(0);
    EXPECT_EQ(limiter.Take(1 << 30), 0);
}

}  // namespace
