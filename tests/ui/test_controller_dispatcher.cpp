#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "ui/dispatcher_queue.h"

namespace {

using namespace std::chrono_literals;

// Pumps until `done` or about two seconds have passed.
template <typename Done>
void PumpUntil(ui::QueuedDispatcher& dispatcher, Done done) {
    for (int i = 0; i < 200 && !done(); ++i) dispatcher.WaitAndRun(10ms);
}

TEST(QueuedDispatcher, RunsAtOnceOnTheUiThreadAndQueuesOtherThreads) {
    ui::QueuedDispatcher dispatcher;
    int ranInline = 0;
    EXPECT_TRUE(dispatcher.RunOnUiThread([&] { ++ranInline; }));
    EXPECT_EQ(ranInline, 1);

    std::atomic<bool> returned{false};
    std::thread::id ranOn;
    std::thread worker([&] {
        EXPECT_TRUE(dispatcher.RunOnUiThread([&] { ranOn = std::this_thread::get_id(); }));
        returned = true;
    });
    // The worker stays blocked until the UI thread runs its call.
    for (int i = 0; i < 100 && dispatcher.QueuedCount() == 0; ++i) std::this_thread::sleep_for(1ms);
    ASSERT_EQ(dispatcher.QueuedCount(), 1u);
    EXPECT_FALSE(returned.load());
    PumpUntil(dispatcher, [&] { return returned.load(); });
    worker.join();
    EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST(QueuedDispatcher, ShutdownReleasesWaitingCallersWithoutRunningThem) {
    ui::QueuedDispatcher dispatcher;
    std::atomic<int> ran{0};
    std::atomic<int> refused{0};
    std::vector<std::thread> workers;
    for (int i = 0; i < 3; ++i) {
        workers.emplace_back([&] {
            if (!dispatcher.RunOnUiThread([&] { ++ran; })) ++refused;
        });
    }
    for (int i = 0; i < 200 && dispatcher.QueuedCount() < 3; ++i) std::this_thread::sleep_for(1ms);
    ASSERT_EQ(dispatcher.QueuedCount(), 3u);
    dispatcher.BeginShutdown();
    for (auto& worker : workers) worker.join();
    EXPECT_EQ(ran.load(), 0);
    EXPECT_EQ(refused.load(), 3);
    // Later calls, from any thread, return at once.
    EXPECT_FALSE(dispatcher.RunOnUiThread([&] { ++ran; }));
    std::thread late([&] { EXPECT_FALSE(dispatcher.RunOnUiThread([&] { ++ran; })); });
    late.join();
    EXPECT_EQ(ran.load(), 0);
}

TEST(QueuedDispatcher, CallsQueuedByAHandlerWaitForTheNextPass) {
    ui::QueuedDispatcher dispatcher;
    std::atomic<int> second{0};
    std::thread inner;
    std::thread outer([&] {
        dispatcher.RunOnUiThread([&] {
            inner = std::thread([&] { dispatcher.RunOnUiThread([&] { ++second; }); });
            // The inner call is queued while this handler still runs.
            for (int i = 0; i < 2000 && dispatcher.QueuedCount() == 0; ++i) {
                std::this_thread::sleep_for(1ms);
            }
        });
    });
    for (int i = 0; i < 2000 && dispatcher.QueuedCount() == 0; ++i)
        std::this_thread::sleep_for(1ms);
    // One pass runs what was queued when it began, so a handler that makes a network thread
    // report again cannot hold the UI thread.
    EXPECT_EQ(dispatcher.RunPending(), 1u);
    EXPECT_EQ(second.load(), 0);
    EXPECT_EQ(dispatcher.QueuedCount(), 1u);
    EXPECT_EQ(dispatcher.RunPending(), 1u);
    outer.join();
    inner.join();
    EXPECT_EQ(second.load(), 1);
}

}  // namespace
