// The real network's search workers: a host that stalls holds up neither the others nor a
// cancel, one host is asked one search at a time, and a cancelled search reports nothing.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "ui/controller/host_searches.h"

namespace {

using namespace std::chrono_literals;

struct Recorder final : ui::SearchListener {
    void OnSearchReply(ui::SearchId id, const ui::SearchReply&) override {
        std::lock_guard<std::mutex> guard(lock);
        ids.push_back(id);
        arrived.notify_all();
    }
    bool WaitFor(std::size_t count) {
        std::unique_lock<std::mutex> guard(lock);
        return arrived.wait_for(guard, 10s, [&] { return ids.size() >= count; });
    }
    std::mutex lock;
    std::condition_variable arrived;
    std::vector<ui::SearchId> ids;
};

TEST(HostSearchesTest, StalledHostHoldsNoOneUpAndEachHostIsAskedOnceAtATime) {
    constexpr Ipv4 kStalled = 1;
    constexpr Ipv4 kQuick = 2;
    Recorder recorder;
    std::mutex lock;
    std::map<Ipv4, int> asking;
    std::map<Ipv4, int> mostAtOnce;
    auto call = [&](Ipv4 address, const std::string&, const StopFlag* stop) {
        {
            std::lock_guard<std::mutex> guard(lock);
            mostAtOnce[address] = std::max(mostAtOnce[address], ++asking[address]);
        }
        // The stalled host answers only when told to stop (bounded, so a fault fails, not hangs).
        const auto until = std::chrono::steady_clock::now() + (address == kStalled ? 10s : 30ms);
        while (std::chrono::steady_clock::now() < until && !stop->load()) {
            std::this_thread::sleep_for(2ms);
        }
        std::lock_guard<std::mutex> guard(lock);
        --asking[address];
        return ui::SearchReply{ui::SearchOutcome::Answered, {}, 0};
    };
    ui::HostSearches searches(recorder, call);
    const ui::SearchId stalled = searches.Start(kStalled, "x");
    const ui::SearchId first = searches.Start(kQuick, "x");
    const ui::SearchId second = searches.Start(kQuick, "y");
    const ui::SearchId dropped = searches.Start(kQuick, "z");
    searches.Cancel(dropped);
    ASSERT_TRUE(recorder.WaitFor(2));
    searches.Cancel(stalled);
    const auto cancelAt = std::chrono::steady_clock::now();
    searches.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - cancelAt, 5s);
    EXPECT_EQ(recorder.ids, (std::vector<ui::SearchId>{first, second}));
    EXPECT_EQ(mostAtOnce[kQuick], 1);
}

}  // namespace
