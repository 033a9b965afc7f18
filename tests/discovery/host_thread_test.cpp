// Announcing ourselves, hearing others, and watching every known host through its keep-alive
// connection until it closes or we shut down.
#include <gmock/gmock.h>

#include "host_thread_fixture.h"
#include "net/connect.h"

namespace discovery_test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const Ipv4 kLoopback = Address("127.0.0.1");

net::UniqueSocket AcceptPing(const testing_support::LoopbackListener& server) {
    return net::AcceptConnection(server.socket.get(), nullptr, nullptr, 5000);
}

// Reads and drops whatever arrives until the peer closes (true) or `limit` passes (false).
bool PeerClosesWithin(net::Socket socket, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    char buffer[4096];
    while (std::chrono::steady_clock::now() < deadline) {
        const ssize_t got = ::recv(socket, buffer, sizeof buffer, MSG_DONTWAIT);
        if (got == 0 || (got < 0 && errno != EAGAIN)) return true;
        pollfd entry{socket, POLLIN, 0};
        ::poll(&entry, 1, 20);
    }
    return false;
}

TEST_F(HostThreadTest, AnnouncesEachPeriodToTheBroadcastOfEveryInterfaceWithAnAddress) {
    SetInterfaces({Interface("192.168.1.5", "255.255.255.0"), Interface("10.0.0.7", "255.0.0.0"),
                   net::InterfaceEntry{0, Address("255.255.0.0"), Address("0.0.255.255")}});
    Start(Options(testing_support::ClosedLoopbackPort()));
    ASSERT_TRUE(WaitForSent(4));
    const std::string announce = "announce " + std::to_string(hosts_->BoundDiscoveryPort()) + " ";
    Lines sent = Sent();
    EXPECT_EQ(Lines(sent.begin(), sent.begin() + 4),
              (Lines{announce + "192.168.1.255", announce + "10.255.255.255",
                     announce + "192.168.1.255", announce + "10.255.255.255"}));

    SetInterfaces({Interface("172.16.4.1", "255.255.0.0")});
    hosts_->RefreshInterfaces();
    const std::size_t refreshedAt = Sent().size();
    ASSERT_TRUE(WaitForSent(refreshedAt + 3));
    sent = Sent();
    // At most the round under way still used the old list.
    for (std::size_t i = refreshedAt + 1; i < sent.size(); ++i)
        EXPECT_EQ(sent[i], announce + "172.16.255.255");
}

TEST_F(HostThreadTest, OnlyAnnouncementsFromOtherAddressesAddAHostAndOnlyOnce) {
    SetInterfaces({Interface("127.0.0.5", "255.0.0.0")});
    auto server = testing_support::ListenOnLoopback();
    Start(Options(server.port));
    hosts_->HandleDatagram(Address("127.0.0.5"), "announce");  // our own
    for (const std::string& text : {std::string("announc"), std::string("hello announce"),
                                    std::string("\0announce", 9), std::string("ANNOUNCE")})
        hosts_->HandleDatagram(kLoopback, text);
    EXPECT_THAT(hosts_->KnownHosts(), IsEmpty());
    // Whatever follows the word does not matter; repeats and later additions change nothing.
    for (int i = 0; i < 3; ++i)
        hosts_->HandleDatagram(kLoopback, std::string("announce-v2\0x", 13));
    hosts_->AddHost(kLoopback, "by hand", HostKind::Manual);
    EXPECT_THAT(Events(), ElementsAre("+127.0.0.1  1"));
    EXPECT_THAT(hosts_->KnownHosts(), ElementsAre(kLoopback));
}

// A second host thread's announcements, sent for real to our port, are heard.
TEST_F(HostThreadTest, AnnouncementCrossesTheWireAndIsHeard) {
    auto server = testing_support::ListenOnLoopback();
    Start(Options(server.port));
    const std::uint16_t hearingPort = hosts_->BoundDiscoveryPort();
    ASSERT_NE(hearingPort, 0);
    StopFlag announcerStop{false};
    HostThreadOptions announcerOptions = Options(testing_support::ClosedLoopbackPort());
    announcerOptions.enumerateInterfaces = [] {
        return std::vector{Interface("10.1.1.5", "255.0.0.0")};
    };
    announcerOptions.sendBroadcast = [&](std::uint16_t, std::string_view text, Ipv4) {
        return net::SendBroadcast(hearingPort, text, kLoopback);
    };
    CHostThread announcer(nullptr, &announcerStop, announcerOptions);
    EXPECT_TRUE(WaitForEvents(1));
    announcerStop = true;
    announcer.Wait();
    EXPECT_EQ(Events().front(), "+127.0.0.1  1");
}

TEST_F(HostThreadTest, AHostIsGoneWhenItsKeepAliveConnectionEndsUntilItAnnouncesAgain) {
    auto server = testing_support::ListenOnLoopback();
    Start(Options(server.port));
    hosts_->AddHost(kLoopback, "me", HostKind::LocalHost);
    EXPECT_THAT(Events(), ElementsAre("+127.0.0.1 me 0"));  // at once, on this thread
    net::UniqueSocket connection = AcceptPing(server);
    ASSERT_TRUE(connection.valid());
    EXPECT_EQ(testing_support::ReadRaw(connection.get(), 12), "4:ping4:ping");
    connection.reset();
    server.socket.reset();
    ASSERT_TRUE(WaitForEvents(2));
    EXPECT_EQ(Events()[1], "-127.0.0.1");
    EXPECT_THAT(hosts_->KnownHosts(), IsEmpty());
    // Now nobody listens: the host appears and is gone again at once.
    hosts_->HandleDatagram(kLoopback, "announce");
    ASSERT_TRUE(WaitForEvents(4));
    EXPECT_THAT(Events(),
                ElementsAre("+127.0.0.1 me 0", "-127.0.0.1", "+127.0.0.1  1", "-127.0.0.1"));
}

TEST_F(HostThreadTest, ARemovedHostIsReportedAtOnceAndItsConnectionEndsWithTheThread) {
    auto server = testing_support::ListenOnLoopback();
    Start(Options(server.port));
    hosts_->AddHost(kLoopback, "me", HostKind::LocalHost);
    net::UniqueSocket removed = AcceptPing(server);
    ASSERT_TRUE(removed.valid());
    hosts_->RemoveHost(Address("127.0.0.9"));
    hosts_->RemoveHost(kLoopback);
    EXPECT_THAT(Events(), ElementsAre("+127.0.0.1 me 0", "-127.0.0.1"));
    EXPECT_THAT(hosts_->KnownHosts(), IsEmpty());
    hosts_->AddHost(kLoopback, "again", HostKind::Manual);
    net::UniqueSocket watched = AcceptPing(server);
    ASSERT_TRUE(watched.valid());
    // Destroyed without the shutdown flag: both connections, the removed one too, are closed.
    hosts_.reset();
    EXPECT_TRUE(PeerClosesWithin(removed.get(), 2s));
    EXPECT_TRUE(PeerClosesWithin(watched.get(), 2s));
}

TEST_F(HostThreadTest, WaitAfterTheShutdownFlagEndsEveryThreadPromptlyWithoutFurtherReports) {
    auto server = testing_support::ListenOnLoopback();
    Start(Options(server.port));
    hosts_->AddHost(kLoopback, "me", HostKind::LocalHost);
    net::UniqueSocket connection = AcceptPing(server);
    ASSERT_TRUE(connection.valid());
    const auto start = std::chrono::steady_clock::now();
    stop_ = true;
    hosts_->Wait();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    EXPECT_THAT(Events(), ElementsAre("+127.0.0.1 me 0"));
    EXPECT_TRUE(PeerClosesWithin(connection.get(), 2s));
}

}  // namespace
}  // namespace discovery_test
