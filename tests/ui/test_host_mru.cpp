#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <map>

#include "core/parseini.h"
#include "net/socket.h"
#include "support/ui_pure_sandbox.h"
#include "ui/host_mru.h"

namespace ui {
namespace {

using Entries = std::vector<std::string>;

class HostMruTest : public testing::Test {
protected:
    void Store(const std::map<int, std::string>& entries) {
        for (const auto& [n, text] : entries) settings_.SetString("global", HostMruKey(n), text);
    }
    std::string Raw(int n) const {
        std::string value;
        settings_.GetString("global", HostMruKey(n), value, "<absent>");
        return value;
    }
    // Runs the dialog once: it shows the stored list, the user types `text` and presses OK.
    AddHostResult Enter(const std::string& text, bool resolves = true) {
        resolverCalls_ = 0;
        const HostResolver resolver = [&](const std::string& name, Ipv4& address) {
            ++resolverCalls_;
            lastResolved_ = name;
            address = htonl(0x0A000005);
            return resolves;
        };
        return AcceptHostEntry(text, DisplayOrder(LoadHostMru(settings_)), resolver, settings_);
    }

    testing_support::Sandbox sandbox_;
    utilcpp::CParseini settings_{sandbox_.IniPath()};
    int resolverCalls_ = 0;
    std::string lastResolved_;
};

TEST_F(HostMruTest, ReadingStopsAtTheFirstGap) {
    Store({{1, "pc-a"}, {2, "pc-b"}, {5, "pc-e"}});
    EXPECT_EQ(LoadHostMru(settings_), (Entries{"pc-a", "pc-b"}));
    settings_.DeleteKey("global", HostMruKey(1));
    EXPECT_EQ(LoadHostMru(settings_), Entries{});
}

TEST_F(HostMruTest, OverlongEntriesAreLeftOutWithoutEndingTheList) {
    Store({{1, std::string(2000, 'x')}, {2, "pc-b"}});
    EXPECT_EQ(LoadHostMru(settings_), (Entries{"pc-b"}));
}

TEST_F(HostMruTest, ListShowsAlphabeticallyIgnoringCase) {
    EXPECT_EQ(DisplayOrder({"pc-b", "PC-A", "alpha", "pc-a", "Zulu"}),
              (Entries{"alpha", "PC-A", "pc-a", "pc-b", "Zulu"}));
}

TEST_F(HostMruTest, NewEntryComesFirstAndTheOthersFollowAlphabetically) {
    Store({{1, "pc-b"}, {2, "pc-a"}});
    const AddHostResult result = Enter("pc-c");
    EXPECT_EQ(result.outcome, AddHostOutcome::Accepted);
    EXPECT_EQ(result.address, htonl(0x0A000005));
    EXPECT_EQ(result.text, "pc-c");
    EXPECT_EQ(LoadHostMru(settings_), (Entries{"pc-c", "pc-a", "pc-b"}));
}

TEST_F(HostMruTest, KnownEntryMovesToTheTopWithoutDuplicate) {
    Store({{1, "pc-a"}, {2, "pc-b"}, {3, "pc-c"}});
    Enter("pc-b");
    EXPECT_EQ(LoadHostMru(settings_), (Entries{"pc-b", "pc-a", "pc-c"}));
}

TEST_F(HostMruTest, ComparisonForDuplicatesHonoursCase) {
    Store({{1, "pc-a"}, {2, "pc-b"}});
    Enter("PC-A");
    EXPECT_EQ(LoadHostMru(settings_), (Entries{"PC-A", "pc-a", "pc-b"}));
}

TEST_F(HostMruTest, KeepsTenEntriesDroppingTheAlphabeticallyLast) {
    std::map<int, std::string> stored;
    for (int n = 1; n <= 10; ++n) stored[n] = std::string(1, static_cast<char>('k' - n));  // j..a
    Store(stored);
    Enter("new");
    EXPECT_EQ(LoadHostMru(settings_),
              (Entries{"new", "a", "b", "c", "d", "e", "f", "g", "h", "i"}));
}

TEST_F(HostMruTest, EmptyTextIsIgnoredAndWritesNothing) {
    Store({{1, "pc-a"}});
    const AddHostResult result = Enter("");
    EXPECT_EQ(result.outcome, AddHostOutcome::Ignored);
    EXPECT_EQ(resolverCalls_, 0);
    EXPECT_EQ(Raw(2), "<absent>");
}

TEST_F(HostMruTest, UnresolvedNameWritesNothing) {
    Store({{1, "pc-a"}});
    const AddHostResult result = Enter("nowhere", false);
    EXPECT_EQ(result.outcome, AddHostOutcome::Unresolved);
    EXPECT_EQ(lastResolved_, "nowhere");
    EXPECT_EQ(LoadHostMru(settings_), (Entries{"pc-a"}));
}

TEST_F(HostMruTest, TypedTextIsCutToWhatTheDialogHolds) {
    const AddHostResult result = Enter(std::string(1500, 'h'));
    EXPECT_EQ(result.text.size(), kMaxHostTextLength);
    EXPECT_EQ(lastResolved_.size(), kMaxHostTextLength);
    EXPECT_EQ(Raw(1), result.text);
}

TEST_F(HostMruTest, DottedAddressResolvesToItselfAndIsKeptAsTyped) {
    const AddHostResult result = AcceptHostEntry("127.0.0.1", {}, net::ResolveHost, settings_);
    ASSERT_EQ(result.outcome, AddHostOutcome::Accepted);
    EXPECT_EQ(result.address, htonl(INADDR_LOOPBACK));
    EXPECT_EQ(Raw(1), "127.0.0.1");
}

}  // namespace
}  // namespace ui
