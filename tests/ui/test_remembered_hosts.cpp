#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "support/temp_folder.h"
#include "ui/controller/remembered_host_watcher.h"
#include "ui/desktop/remembered_hosts.h"

namespace ui {
namespace {

TEST(RememberedHosts, KeptOnceEachBoundedAndForgotten) {
    testing_support::TempFolder folder;
    utilcpp::CParseini settings(folder.IniPath());
    EXPECT_TRUE(RememberHost(settings, "nas.example"));
    EXPECT_TRUE(RememberHost(settings, "10.78.0.4"));
    EXPECT_TRUE(RememberHost(settings, "NAS.example")) << "already there, whatever its case";
    EXPECT_EQ(LoadRememberedHosts(settings),
              (std::vector<std::string>{"nas.example", "10.78.0.4"}));
    // What would break the file's lines or make a key of something else is refused.
    EXPECT_FALSE(RememberHost(settings, "a=b"));
    EXPECT_FALSE(RememberHost(settings, "[global]"));
    EXPECT_FALSE(RememberHost(settings, "two\nlines"));
    EXPECT_FALSE(RememberHost(settings, std::string(254, 'a')));
    EXPECT_TRUE(ForgetHost(settings, "NAS.EXAMPLE"));
    EXPECT_EQ(LoadRememberedHosts(settings), std::vector<std::string>{"10.78.0.4"});
    for (std::size_t i = 1; i < kMaxRememberedHosts; ++i) {
        ASSERT_TRUE(RememberHost(settings, "host" + std::to_string(i)));
    }
    EXPECT_FALSE(RememberHost(settings, "one-too-many"));
    EXPECT_EQ(LoadRememberedHosts(settings).size(), kMaxRememberedHosts);
}

// Polls once a (fake) second until a round has reported, at most for five seconds of real time.
std::vector<std::pair<std::string, Ipv4>> PollUntilFound(RememberedHostWatcher& watcher,
                                                         const std::vector<std::string>& hosts,
                                                         std::int64_t& nowMs) {
    for (int i = 0; i < 500; ++i) {
        auto found = watcher.Poll(hosts, nowMs);
        if (!found.empty()) return found;
        nowMs += 1000;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return {};
}

TEST(RememberedHostWatcher, LooksUpOffTheCallerAndAgainOnlyAfterItsPeriod) {
    std::atomic<int> lookups{0};
    RememberedHostWatcher watcher([&](const std::string& text, Ipv4& address) {
        ++lookups;
        if (text == "gone") return false;
        address = 42;
        return true;
    });
    std::int64_t now = 0;
    const std::vector<std::string> hosts{"nas", "gone"};
    const auto found = PollUntilFound(watcher, hosts, now);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0], (std::pair<std::string, Ipv4>{"nas", 42}));
    EXPECT_EQ(lookups, 2);
    // Within the period nothing is looked up again.
    const std::int64_t firstRound = now;
    while (now + 1000 < firstRound + RememberedHostWatcher::kPeriodMs) {
        now += 1000;
        EXPECT_TRUE(watcher.Poll(hosts, now).empty());
    }
    EXPECT_EQ(lookups, 2);
    now += 2000;
    EXPECT_EQ(PollUntilFound(watcher, hosts, now).size(), 1u);
    EXPECT_EQ(lookups, 4);
}

}  // namespace
}  // namespace ui
