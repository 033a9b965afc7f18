#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "ui/lonely_host_hint.h"
#include "ui/main_window_timers.h"

namespace ui {
namespace {

struct Tick {
    std::uint32_t now;
    HintStep step;
};

// Runs the network timer every 100 ms from start + 100 up to and including `until`.
std::vector<Tick> RunAlone(LonelyHostHint& hint, std::uint32_t start, std::uint32_t until) {
    std::vector<Tick> ticks;
    for (std::uint32_t now = start + kNetworkTimerPeriodMs; now - start <= until - start;
         now += kNetworkTimerPeriodMs) {
        ticks.push_back({now, hint.OnTimer(now, 1)});
    }
    return ticks;
}

TEST(LonelyHostHintTest, AppearsAfterFiveSecondsAloneAndBlinksEveryHalfSecond) {
    const std::uint32_t start = 1000;
    LonelyHostHint hint(start);
    const std::vector<Tick> ticks = RunAlone(hint, start, start + 7100);

    std::vector<std::uint32_t> inserts;
    std::vector<std::pair<std::uint32_t, int>> images;
    for (const Tick& tick : ticks) {
        EXPECT_FALSE(tick.step.removeItem);
        if (tick.step.insertItem) inserts.push_back(tick.now - start);
        if (tick.step.setImage) images.emplace_back(tick.now - start, tick.step.image);
    }
    // At 5000 ms the 5001 ms are not yet reached; the next tick shows it with its first image.
    EXPECT_EQ(inserts, (std::vector<std::uint32_t>{5100}));
    EXPECT_EQ(images, (std::vector<std::pair<std::uint32_t, int>>{
                          {5100, 4}, {5600, 10}, {6100, 4}, {6600, 10}, {7100, 4}}));
    EXPECT_TRUE(hint.Shown());
}

TEST(LonelyHostHintTest, GoesOnTheFirstTickWithAnotherHostAndReturnsFiveSecondsLater) {
    LonelyHostHint hint(0);
    RunAlone(hint, 0, 6000);
    ASSERT_TRUE(hint.Shown());

    const HintStep removal = hint.OnTimer(6100, 2);
    EXPECT_TRUE(removal.removeItem);
    EXPECT_FALSE(removal.insertItem);
    EXPECT_FALSE(hint.Shown());
    // While another host is known nothing more happens.
    EXPECT_FALSE(hint.OnTimer(6200, 3).removeItem);
    EXPECT_FALSE(hint.OnTimer(20000, 2).insertItem);

    // The other host left at 20000: 5000 ms later still hidden, the next tick shows it again.
    EXPECT_FALSE(hint.OnTimer(25000, 1).insertItem);
    const HintStep back = hint.OnTimer(25100, 1);
    EXPECT_TRUE(back.insertItem);
    EXPECT_TRUE(back.setImage);
}

TEST(LonelyHostHintTest, SurvivesTheTickCounterWrapping) {
    const std::uint32_t start = 0xFFFFF000u;  // about 4 s before the wrap
    LonelyHostHint hint(start);
    EXPECT_FALSE(hint.OnTimer(start + 4900, 1).insertItem);  // wrapped, 4.9 s alone
    EXPECT_TRUE(hint.OnTimer(start + 5100, 1).insertItem);
}

}  // namespace
}  // namespace ui
