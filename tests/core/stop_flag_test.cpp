#include "core/stop_flag.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

void Count(void* counter) {
    ++*static_cast<int*>(counter);
}

TEST(StopWaker, EveryLiveWakerIsCalledOnEachSetAndNoneAfterItWent) {
    StopFlag flag;
    int counts[3] = {};
    auto first = std::make_unique<StopWaker>(&flag, &Count, &counts[0]);
    auto middle = std::make_unique<StopWaker>(&flag, &Count, &counts[1]);
    auto last = std::make_unique<StopWaker>(&flag, &Count, &counts[2]);
    flag = true;
    EXPECT_EQ(counts[0] + counts[1] + counts[2], 3);

    // Unlinking from the middle, the front and the back keeps the rest reachable.
    middle.reset();
    flag.store(false);
    EXPECT_EQ(counts[1], 1) << "clearing a flag wakes nobody";
    flag = true;
    EXPECT_EQ(counts[0], 2);
    EXPECT_EQ(counts[1], 1);
    EXPECT_EQ(counts[2], 2);
    last.reset();
    first.reset();
    flag = true;
    EXPECT_EQ(counts[0] + counts[2], 4);

    // A null flag is never set, so its waker registers nowhere.
    const StopWaker none(nullptr, &Count, &counts[0]);
}

}  // namespace
