// Watching known hosts through their keep-alive connections, and ending everything at shutdown.
#include <gmock/gmock.h>

#include "host_thread_fixture.h"

namespace discovery_test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const Ipv4 kLoopback = Address("127.0.0.1");

net::UniqueSocket AcceptPing(const testing_support::LoopbackListener& server) {
    return net::AcceptConnection(server.socket.get(), nullptr, nullptr, 5000);
}

TEST_F(HostThreadTest, KeepAlivePingsUntilTheHostClosesThenTheHostIsGoneUntilItAnnouncesAgain) {
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

    hosts_->HandleDatagram(kLoopback, "announce");
    EXPECT_EQ(Events().back(), "+127.0.0.1  1");
}

TEST_F(HostThreadTest, HostThatRefusesTheConnectionAppearsAndThenDisappears) {
    Start(Options(testing_support::ClosedLoopbackPort()));
    hosts_->AddHost(kLoopback, "manual", HostKind::Manual);
    ASSERT_TRUE(WaitForEvents(2));
    EXPECT_THAT(Events(), ElementsAre("+127.0.0.1 manual 2", "-127.0.0.1"));
}

TEST_F(HostThreadTest, RemovedHostIsReportedAtOnceWhileItsConnectionRunsOnUntilDestruction) {
    auto server = testing_support::ListenOnLoopback();
    Start(Options(server.port));
    hosts_->AddHost(kLoopback, "me", HostKind::LocalHost);
    net::UniqueSocket removed = AcceptPing(server);
    ASSERT_TRUE(removed.valid());

    hosts_->RemoveHost(Address("127.0.0.9"));
    hosts_->RemoveHost(kLoopback);
    EXPECT_THAT(Events(), ElementsAre("+127.0.0.1 me 0", "-127.0.0.1"));
    EXPECT_THAT(hosts_->KnownHosts(), IsEmpty());
    EXPECT_EQ(testing_support::ReadRaw(removed.get(), 6), "4:ping");

    hosts_->AddHost(kLoopback, "again", HostKind::Manual);
    net::UniqueSocket watched = AcceptPing(server);
    ASSERT_TRUE(watched.valid());
    EXPECT_FALSE(PeerClosesWithin(removed.get(), 300ms));

    // Destroyed without the shutdown flag: both connections, the removed one too, are closed.
    hosts_.reset();
    EXPECT_TRUE(PeerClosesWithin(removed.get(), 2s));
    EXPECT_TRUE(PeerClosesWithin(watched.get(), 2s));
}

TEST_F(HostThreadTest, ShutdownEndsEveryThreadPromptlyWithoutFurtherReports) {
    auto server = testing_support::ListenOnLoopback();
    Start(Options(server.port));
    hosts_->AddHost(kLoopback, "me", HostKind::LocalHost);
    net::UniqueSocket connection = AcceptPing(server);
    ASSERT_TRUE(connection.valid());

    const auto start = std::chrono::steady_clock::now();
    stop_.store(true);
    hosts_->Wait();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    EXPECT_THAT(hosts_->KnownHosts(), IsEmpty());
    EXPECT_THAT(Events(), ElementsAre("+127.0.0.1 me 0"));
    EXPECT_TRUE(PeerClosesWithin(connection.get(), 2s));
}

}  // namespace
}  // namespace discovery_test
