// The hand-over of listener calls to the main thread, and the reading of chat lines.
#include <gtest/gtest.h>
#include <poll.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "cli/call_dispatcher.h"
#include "cli/stdin_lines.h"

namespace {

using namespace std::chrono_literals;

// Waits (bounded) for the dispatcher's descriptor and runs what is queued.
bool PumpOnce(cli::CallDispatcher& dispatcher, int timeoutMs = 5000) {
    pollfd wake{dispatcher.WakeDescriptor(), POLLIN, 0};
    if (poll(&wake, 1, timeoutMs) != 1) return false;
    dispatcher.RunPending();
    return true;
}

TEST(CallDispatcher, WorkerCallRunsOnTheMainThreadAndWaitsForIt) {
    cli::CallDispatcher dispatcher;
    const auto mainThread = std::this_thread::get_id();
    std::thread::id ranOn;
    std::atomic<bool> returned{false};
    bool accepted = false;
    std::thread worker([&] {
        int local = 1;
        accepted = dispatcher.Call([&] {
            ranOn = std::this_thread::get_id();
            local = 2;  // the caller's own data, alive because the caller waits
        });
        EXPECT_EQ(local, 2);
        returned = true;
    });
    std::this_thread::sleep_for(20ms);
    EXPECT_FALSE(returned) << "the caller must wait until the main thread handled the call";
    ASSERT_TRUE(PumpOnce(dispatcher));
    worker.join();
    EXPECT_TRUE(accepted);
    EXPECT_EQ(ranOn, mainThread);
}

TEST(CallDispatcher, CallsFromSeveralThreadsAllRunOnceInTheMainThread) {
    cli::CallDispatcher dispatcher;
    int counter = 0;  // touched by the main thread only, so no atomic is needed
    std::vector<std::thread> workers;
    for (int i = 0; i < 8; ++i) {
        workers.emplace_back([&] {
            for (int j = 0; j < 25; ++j) dispatcher.Call([&] { ++counter; });
        });
    }
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (counter < 200 && std::chrono::steady_clock::now() < deadline) PumpOnce(dispatcher, 100);
    for (auto& worker : workers) worker.join();
    EXPECT_EQ(counter, 200);
}

TEST(CallDispatcher, ShutdownReleasesAWaitingCallerWithoutRunningItsCall) {
    cli::CallDispatcher dispatcher;
    std::atomic<bool> ran{false};
    std::atomic<int> result{-1};
    std::thread worker([&] { result = dispatcher.Call([&] { ran = true; }) ? 1 : 0; });
    // Let the call queue up, then begin shutdown instead of handling it.
    pollfd wake{dispatcher.WakeDescriptor(), POLLIN, 0};
    ASSERT_EQ(poll(&wake, 1, 5000), 1);
    dispatcher.BeginShutdown();
    worker.join();
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(ran);
    dispatcher.RunPending();
    EXPECT_FALSE(ran) << "a dropped call must never run later";

    // Later calls return at once, from any thread.
    std::thread late([&] { EXPECT_FALSE(dispatcher.Call([&] { ran = true; })); });
    late.join();
    EXPECT_FALSE(dispatcher.Call([&] { ran = true; }));
    EXPECT_FALSE(ran);
}

TEST(CallDispatcher, MainThreadCallRunsAtOnce) {
    cli::CallDispatcher dispatcher;
    bool ran = false;
    EXPECT_TRUE(dispatcher.Call([&] { ran = true; }));
    EXPECT_TRUE(ran);
}

TEST(LineReader, SplitsLinesAcrossReadsAndDropsLineEnds) {
    cli::LineReader reader(1023);
    EXPECT_TRUE(reader.Feed("hel", 3).empty());
    const std::string rest = "lo\r\nsecond\n\nthird";
    auto lines = reader.Feed(rest.data(), rest.size());
    EXPECT_EQ(lines, (std::vector<std::string>{"hello", "second", ""}));
    EXPECT_EQ(reader.Finish(), std::vector<std::string>{"third"});
    EXPECT_TRUE(reader.Finish().empty());
}

TEST(LineReader, OverlongLinesAreCutAndTheRestDropped) {
    cli::LineReader reader(4);
    const std::string input = "abcdefgh\r\nxy\n";
    EXPECT_EQ(reader.Feed(input.data(), input.size()), (std::vector<std::string>{"abcd", "xy"}));
}

}  // namespace
