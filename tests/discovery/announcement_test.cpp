// Announcing ourselves and hearing the announcements of others.
#include <gmock/gmock.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "discovery/udp_receiver.h"
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
    Start(testing_support::ClosedLoopbackPort());

    ASSERT_TRUE(WaitForSent([](const auto& sent) { return sent.size() >= 4; }));
    const auto sent = Sent();
    const std::uint16_t port = hosts_->BoundDiscoveryPort();
    ASSERT_NE(port, 0);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(sent[i].text, "announce");
        EXPECT_EQ(sent[i].port, port);
        // One datagram per interface and period, in the order of the interface list.
        EXPECT_EQ(sent[i].destination, Address(i % 2 == 0 ? "192.168.1.255" : "10.255.255.255"));
    }
}

TEST_F(HostThreadTest, RefreshedInterfaceListChangesTheDestinations) {
    SetInterfaces({Interface("192.168.1.5", "255.255.255.0")});
    Start(testing_support::ClosedLoopbackPort());
    ASSERT_TRUE(WaitForSent([](const auto& sent) { return !sent.empty(); }));

    SetInterfaces({Interface("172.16.4.1", "255.255.0.0")});
    hosts_->RefreshInterfaces();
    const std::size_t before = Sent().size();
    const Ipv4 newBroadcast = Address("172.16.255.255");
    ASSERT_TRUE(WaitForSent([&](const auto& sent) {
        return sent.size() >= before + 2 && sent.back().destination == newBroadcast;
    }));
    const auto sent = Sent();
    // Once the new list is in use, the old interface gets nothing more.
    std::size_t firstNew = before;
    while (sent[firstNew].destination != newBroadcast) ++firstNew;
    for (std::size_t i = firstNew; i < sent.size(); ++i) {
        EXPECT_EQ(sent[i].destination, newBroadcast);
    }
}

TEST_F(HostThreadTest, AnnouncementOfAnotherHostAddsItOnceHoweverOftenItRepeats) {
    auto server = testing_support::ListenOnLoopback();
    Start(server.port);
    for (int i = 0; i < 5; ++i) hosts_->HandleDatagram(kLoopback, std::string("announce\0", 9));

    EXPECT_THAT(listener_.Events(), ElementsAre(Appeared(kLoopback, "", HostKind::Discovered)));
    EXPECT_THAT(hosts_->KnownHosts(), ElementsAre(kLoopback));
}

TEST_F(HostThreadTest, AnnouncementsFromOurOwnAddressesAreIgnored) {
    SetInterfaces({Interface("127.0.0.5", "255.0.0.0"), Interface("192.168.1.5", "255.255.255.0")});
    Start(testing_support::ClosedLoopbackPort());

    hosts_->HandleDatagram(Address("127.0.0.5"), "announce");
    hosts_->HandleDatagram(Address("192.168.1.5"), "announce");

    EXPECT_THAT(listener_.Events(), IsEmpty());
    EXPECT_THAT(hosts_->KnownHosts(), IsEmpty());
}

TEST_F(HostThreadTest, OnlyTextsBeginningWithAnnounceCount) {
    auto server = testing_support::ListenOnLoopback();
    Start(server.port);
    const Ipv4 other = Address("127.0.0.3");

    for (const std::string& text :
         {std::string("announc"), std::string("hello announce"), std::string("\0announce", 9),
          std::string("ANNOUNCE"), std::string()}) {
        hosts_->HandleDatagram(other, text);
    }
    EXPECT_THAT(hosts_->KnownHosts(), IsEmpty());

    // Whatever follows the word, before or after the zero byte, does not matter.
    hosts_->HandleDatagram(kLoopback, std::string("announce-v2\0garbage", 19));
    EXPECT_THAT(hosts_->KnownHosts(), ElementsAre(kLoopback));
}

TEST_F(HostThreadTest, UnknownDatagramWritesTheDiagnostic) {
    const auto log = std::filesystem::temp_directory_path() /
                     ("wendaro-discovery-trace-" + std::to_string(::getpid()) + ".log");
    xUtilTraceInit("wendaro -debug:" + log.string());
    Start(testing_support::ClosedLoopbackPort());
    hosts_->HandleDatagram(Address("127.0.0.3"), "hello");
    xUtilTraceClose();

    std::ifstream in(log);
    const std::string written{std::istreambuf_iterator<char>(in), {}};
    std::filesystem::remove(log);
    EXPECT_NE(written.find("CHostThread::BroadcastThreadFunction(): received unknown broadcast\n"),
              std::string::npos)
        << written;
    EXPECT_THAT(hosts_->KnownHosts(), IsEmpty());
}

// Two host threads on loopback: the first one's announcements, sent with the real datagram
// sender, reach the second one's receive socket.
TEST_F(HostThreadTest, AnnouncementCrossesTheWireAndIsHeard) {
    auto server = testing_support::ListenOnLoopback();
    Start(server.port);
    const std::uint16_t hearingPort = hosts_->BoundDiscoveryPort();
    ASSERT_NE(hearingPort, 0);

    StopFlag announcerStop{false};
    HostThreadOptions announcerOptions = Options(testing_support::ClosedLoopbackPort());
    announcerOptions.enumerateInterfaces = [] {
        return std::vector<net::InterfaceEntry>{Interface("192.168.1.5", "255.255.255.0")};
    };
    // Sent to the hearing thread's port on loopback instead of a real broadcast address.
    announcerOptions.sendBroadcast = [&](std::uint16_t, std::string_view text, Ipv4) {
        return net::SendBroadcast(hearingPort, text, kLoopback);
    };
    {
        CHostThread announcer(nullptr, &announcerStop, announcerOptions);
        ASSERT_TRUE(listener_.WaitForEvents(1));
        announcerStop.store(true);
        announcer.Wait();
    }
    EXPECT_EQ(listener_.Events().front(), Appeared(kLoopback, "", HostKind::Discovered));
}

TEST(DatagramReceiver, KeepsAtMostTheCapacityAndNamesTheSender) {
    auto receiver = discovery::CreateDatagramReceiver(kLoopback, 0);
    ASSERT_TRUE(receiver.valid());
    const std::uint16_t port = net::LocalPort(receiver.get());
    ASSERT_TRUE(net::SendBroadcast(port, std::string(300, 'a'), kLoopback));

    std::string data;
    Ipv4 sender = 0;
    for (int i = 0; i < 50 && !discovery::ReceiveDatagram(receiver.get(), 256, data, sender); ++i) {
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_EQ(data, std::string(256, 'a'));
    EXPECT_EQ(sender, kLoopback);
}

TEST(DatagramReceiver, WireFormOfTheAnnouncementIsTheWordAndOneZeroByte) {
    auto receiver = discovery::CreateDatagramReceiver(kLoopback, 0);
    ASSERT_TRUE(receiver.valid());
    ASSERT_TRUE(net::SendBroadcast(net::LocalPort(receiver.get()), kAnnouncementText, kLoopback));

    std::string data;
    Ipv4 sender = 0;
    for (int i = 0; i < 50 && !discovery::ReceiveDatagram(receiver.get(), 256, data, sender); ++i) {
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_EQ(data, std::string("announce\0", 9));
}

}  // namespace
}  // namespace discovery_test
