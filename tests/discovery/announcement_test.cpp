// Announcing ourselves and hearing the announcements of others.
#include <gmock/gmock.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "host_thread_fixture.h"
#include "net/connect.h"
#include "util/trace.h"

namespace discovery_test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const Ipv4 kLoopback = Address("127.0.0.1");

TEST_F(HostThreadTest, AnnouncesEachPeriodToTheBroadcastOfEveryInterfaceWithAnAddress) {
    SetInterfaces({Interface("192.168.1.5", "255.255.255.0"), Interface("10.0.0.7", "255.0.0.0"),
                   net::InterfaceEntry{0, Address("255.255.0.0"), Address("0.0.255.255")}});
    Start(Options(testing_support::ClosedLoopbackPort()));
    ASSERT_TRUE(WaitForSent(4));
    const std::string port = std::to_string(hosts_->BoundDiscoveryPort());
    auto sent = Sent();
    EXPECT_THAT(
        std::vector(sent.begin(), sent.begin() + 4),
        ElementsAre("announce " + port + " 192.168.1.255", "announce " + port + " 10.255.255.255",
                    "announce " + port + " 192.168.1.255", "announce " + port + " 10.255.255.255"));

    SetInterfaces({Interface("172.16.4.1", "255.255.0.0")});
    hosts_->RefreshInterfaces();
    const std::size_t refreshedAt = Sent().size();
    ASSERT_TRUE(WaitForSent(refreshedAt + 3));
    sent = Sent();
    // At most the round under way still used the old list.
    for (std::size_t i = refreshedAt + 1; i < sent.size(); ++i) {
        EXPECT_EQ(sent[i], "announce " + port + " 172.16.255.255");
    }
}

TEST_F(HostThreadTest, OnlyAnnouncementsFromOtherAddressesAddAHostAndOnlyOnce) {
    const auto trace = std::filesystem::temp_directory_path() /
                       ("wendaro-discovery-" + std::to_string(::getpid()) + ".log");
    xUtilTraceInit("wendaro -debug:" + trace.string());
    SetInterfaces({Interface("127.0.0.5", "255.0.0.0")});
    auto server = testing_support::ListenOnLoopback();
    Start(Options(server.port));

    hosts_->HandleDatagram(Address("127.0.0.5"), "announce");  // our own
    for (const std::string& text : {std::string("announc"), std::string("hello announce"),
                                    std::string("\0announce", 9), std::string("ANNOUNCE")}) {
        hosts_->HandleDatagram(Address("127.0.0.3"), text);
    }
    EXPECT_THAT(hosts_->KnownHosts(), IsEmpty());
    xUtilTraceClose();
    std::ifstream in(trace);
    const std::string written{std::istreambuf_iterator<char>(in), {}};
    std::filesystem::remove(trace);
    EXPECT_NE(written.find("CHostThread::BroadcastThreadFunction(): received unknown broadcast\n"),
              std::string::npos);

    // Whatever follows the word does not matter; repeats and later additions change nothing.
    for (int i = 0; i < 3; ++i) {
        hosts_->HandleDatagram(kLoopback, std::string("announce-v2\0garbage", 19));
    }
    hosts_->AddHost(kLoopback, "by hand", HostKind::Manual);
    EXPECT_THAT(Events(), ElementsAre("+127.0.0.1  1"));
    EXPECT_THAT(hosts_->KnownHosts(), ElementsAre(kLoopback));
}

// Two host threads on loopback: the first one's announcements, sent with the real datagram
// sender to the second one's port, are heard by the second one.
TEST_F(HostThreadTest, AnnouncementCrossesTheWireAndIsHeard) {
    auto server = testing_support::ListenOnLoopback();
    Start(Options(server.port));
    const std::uint16_t hearingPort = hosts_->BoundDiscoveryPort();
    ASSERT_NE(hearingPort, 0);

    StopFlag announcerStop{false};
    HostThreadOptions announcerOptions = Options(testing_support::ClosedLoopbackPort());
    announcerOptions.enumerateInterfaces = [] {
        return std::vector{Interface("192.168.1.5", "255.255.255.0")};
    };
    announcerOptions.sendBroadcast = [&](std::uint16_t, std::string_view text, Ipv4) {
        return net::SendBroadcast(hearingPort, text, kLoopback);
    };
    CHostThread announcer(nullptr, &announcerStop, announcerOptions);
    EXPECT_TRUE(WaitForEvents(1));
    announcerStop.store(true);
    announcer.Wait();
    EXPECT_EQ(Events().front(), "+127.0.0.1  1");
}

}  // namespace
}  // namespace discovery_test
