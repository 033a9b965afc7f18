// Watching known hosts through their keep-alive connections, and ending everything at shutdown.
#include <gmock/gmock.h>

#include "host_thread_fixture.h"
#include "net/framing.h"

namespace discovery_test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const Ipv4 kLoopback = Address("127.0.0.1");

net::UniqueSocket AcceptPing(const testing_support::LoopbackListener& server) {
    return net::AcceptConnection(server.socket.get(), nullptr, nullptr, 5000);
}

TEST_F(HostThreadTest, KeepAliveSendsPingsUntilTheHostClosesThenReportsItGone) {
    auto server = testing_support::ListenOnLoopback();
    Start(server.port);
    hosts_->AddHost(kLoopback, "me", HostKind::LocalHost);
    // Reported at once, on the caller's thread.
    EXPECT_THAT(listener_.Events(), ElementsAre(Appeared(kLoopback, "me", HostKind::LocalHost)));

    net::UniqueSocket connection = AcceptPing(server);
    ASSERT_TRUE(connection.valid());
    EXPECT_EQ(testing_support::ReadRaw(connection.get(), 12), "4:ping4:ping");

    connection.reset();
    server.socket.reset();
    ASSERT_TRUE(listener_.WaitForEvents(2));
    EXPECT_EQ(listener_.Events()[1], Disappeared(kLoopback));
    EXPECT_THAT(hosts_->KnownHosts(), IsEmpty());

    // Gone hosts come back with their next announcement.
    hosts_->HandleDatagram(kLoopback, "announce");
    EXPECT_EQ(listener_.Events().back(), Appeared(kLoopback, "", HostKind::Discovered));
}

TEST_F(HostThreadTest, HostThatRefusesTheConnectionAppearsAndThenDisappears) {
    Start(testing_support::ClosedLoopbackPort());
    hosts_->AddHost(kLoopback, "manual", HostKind::Manual);

    ASSERT_TRUE(listener_.WaitForEvents(2));
    EXPECT_THAT(listener_.Events(), ElementsAre(Appeared(kLoopback, "manual", HostKind::Manual),
                                                Disappeared(kLoopback)));
    EXPECT_THAT(hosts_->KnownHosts(), IsEmpty());
}

TEST_F(HostThreadTest, AddingAKnownAddressAgainChangesNothing) {
    auto server = testing_support::ListenOnLoopback();
    Start(server.port);
    hosts_->AddHost(kLoopback, "first", HostKind::LocalHost);
    hosts_->AddHost(kLoopback, "second", HostKind::Manual);

    EXPECT_THAT(listener_.Events(), ElementsAre(Appeared(kLoopback, "first", HostKind::LocalHost)));
    EXPECT_THAT(hosts_->KnownHosts(), ElementsAre(kLoopback));
}

TEST_F(HostThreadTest, RemovedHostIsReportedAtOnceWhileItsConnectionRunsOn) {
    auto server = testing_support::ListenOnLoopback();
    Start(server.port);
    hosts_->AddHost(kLoopback, "me", HostKind::LocalHost);
    net::UniqueSocket connection = AcceptPing(server);
    ASSERT_TRUE(connection.valid());
    EXPECT_EQ(testing_support::ReadRaw(connection.get(), 6), "4:ping");

    hosts_->RemoveHost(Address("127.0.0.9"));
    EXPECT_EQ(listener_.Events().size(), 1u);

    hosts_->RemoveHost(kLoopback);
    EXPECT_THAT(listener_.Events(), ElementsAre(Appeared(kLoopback, "me", HostKind::LocalHost),
                                                Disappeared(kLoopback)));
    EXPECT_THAT(hosts_->KnownHosts(), IsEmpty());
    EXPECT_EQ(testing_support::ReadRaw(connection.get(), 6), "4:ping");

    // Adding it again starts a second, separate connection.
    hosts_->AddHost(kLoopback, "again", HostKind::Manual);
    net::UniqueSocket second = AcceptPing(server);
    ASSERT_TRUE(second.valid());
    EXPECT_EQ(testing_support::ReadRaw(second.get(), 6), "4:ping");
}

TEST_F(HostThreadTest, ShutdownEndsEveryThreadWithoutFurtherReports) {
    auto server = testing_support::ListenOnLoopback();
    Start(server.port);
    hosts_->AddHost(kLoopback, "me", HostKind::LocalHost);
    hosts_->AddHost(Address("127.0.0.2"), "other", HostKind::Manual);
    net::UniqueSocket connection = AcceptPing(server);
    ASSERT_TRUE(connection.valid());
    // The second host is watched too, until it gives up on its refused connection.
    const std::size_t eventsBefore = listener_.Events().size();

    const auto start = std::chrono::steady_clock::now();
    stop_.store(true);
    hosts_->Wait();
    const auto waited = std::chrono::steady_clock::now() - start;

    EXPECT_LT(waited, 2s);
    EXPECT_THAT(hosts_->KnownHosts(), IsEmpty());
    const auto events = listener_.Events();
    // Only a report already under way when the flag was set may follow it.
    EXPECT_LE(events.size(), eventsBefore + 1);
    EXPECT_EQ(std::count(events.begin(), events.end(), Disappeared(kLoopback)), 0);
    EXPECT_TRUE(PeerClosesWithin(connection.get(), 2000ms));
}

TEST_F(HostThreadTest, DestructionWithoutShutdownStillEndsTheThreads) {
    auto server = testing_support::ListenOnLoopback();
    Start(server.port);
    hosts_->AddHost(kLoopback, "me", HostKind::LocalHost);
    hosts_->RemoveHost(kLoopback);
    hosts_->AddHost(kLoopback, "me", HostKind::LocalHost);
    net::UniqueSocket removed = AcceptPing(server);
    net::UniqueSocket watched = AcceptPing(server);
    ASSERT_TRUE(removed.valid());
    ASSERT_TRUE(watched.valid());
    EXPECT_FALSE(PeerClosesWithin(removed.get(), 300ms));

    hosts_.reset();

    // Both keep-alive connections, the removed one included, have been closed.
    EXPECT_TRUE(PeerClosesWithin(removed.get(), 2000ms));
    EXPECT_TRUE(PeerClosesWithin(watched.get(), 2000ms));
}

}  // namespace
}  // namespace discovery_test
