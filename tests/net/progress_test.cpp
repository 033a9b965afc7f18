#include "net/progress.h"

#include <gtest/gtest.h>

#include "net/transfer_progress.h"

namespace {

TEST(SpeedAverager, AveragesBytesOverTimeInKilobytesPerSecond) {
    net::SpeedAverager averager;
    EXPECT_EQ(averager.Speed(), 0.0);
    averager.AddSample(0, 0);
    EXPECT_EQ(averager.Speed(), 0.0);
    averager.AddSample(1024, 1000);
    EXPECT_DOUBLE_EQ(averager.Speed(), 1.0);
    averager.AddSample(3 * 1024, 1000);
    EXPECT_DOUBLE_EQ(averager.Speed(), 2.0);  // 4 KB over 2 s
}

TEST(SpeedAverager, KeepsOnlyTheLastTenSamples) {
    net::SpeedAverager averager;
    averager.AddSample(1'000'000 * 1024ull, 1000);  // a burst that must drop out
    for (int i = 0; i < 10; ++i) averager.AddSample(2048, 1000);
    EXPECT_DOUBLE_EQ(averager.Speed(), 2.0);
    for (int i = 0; i < 5; ++i) averager.AddSample(4096, 500);
    // Five slots of 2 KB/1 s and five of 4 KB/0.5 s: 30 KB over 7.5 s.
    EXPECT_DOUBLE_EQ(averager.Speed(), 4.0);
}

TEST(PercentOf, TruncatesExactlyAndTreatsEmptyAsComplete) {
    using net::detail::PercentOf;
    EXPECT_EQ(PercentOf(0, 0), 100u);
    EXPECT_EQ(PercentOf(0, 10), 0u);
    EXPECT_EQ(PercentOf(29, 100), 29u);  // 0.29 * 100 is 28.999... in floating point
    EXPECT_EQ(PercentOf(57, 100), 57u);
    EXPECT_EQ(PercentOf(999, 1000), 99u);
    EXPECT_EQ(PercentOf(1000, 1000), 100u);
    EXPECT_EQ(PercentOf(1ull << 62, 1ull << 63), 50u);  // no overflow on huge files
}

}  // namespace
