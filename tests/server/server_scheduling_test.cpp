// Limits, bounds, time limits and stopping of the share server, with connections held open.
#include "net/connect.h"
#include "server_test_support.h"

namespace server_test {
namespace {

// A retrieve of the huge file by a client that never reads, so the send stays running.
net::UniqueSocket StalledRetrieve(std::uint16_t port) {
    net::UniqueSocket socket = net::CreateTcpSocket();
    testing_support::ShrinkBuffers(socket.get());
    net::SetBlocking(socket.get(), false);
    EXPECT_TRUE(net::ConnectWithRetry(socket.get(), LoopbackAddress(), port, 3, nullptr));
    EXPECT_TRUE(net::SendString(socket.get(), "retrieve:\\music\\huge.bin", nullptr));
    return socket;
}

TEST_F(ServerTest, FileSendsAndLightJobsWaitForTheirOwnLimits) {
    listeners_.Set(listeners_.holdSends, true);
    listeners_.Set(listeners_.holdLight, true);
    Start();
    std::vector<net::UniqueSocket> held;
    for (int i = 0; i < 10; ++i) held.push_back(Send("retrieve:\\music\\a.txt"));
    ASSERT_TRUE(listeners_.WaitFor("asked", 10));
    net::UniqueSocket eleventh = Send("retrieve:\\music\\a.txt");
    ASSERT_TRUE(Eventually([&] { return Counts().pending == 1; }));
    // Keep-alive connections start beside full file sends and count nowhere.
    for (int i = 0; i < 3; ++i) held.push_back(Send("ping"));
    ASSERT_TRUE(Eventually([&] { return Counts().running == 13; }));
    for (int i = 0; i < 20; ++i) held.push_back(Send("hostmodified"));
    ASSERT_TRUE(listeners_.WaitFor("modified", 20));
    EXPECT_EQ(Counts().lightRunning, 20u);
    EXPECT_EQ(Counts().sendsRunning, 10u);

    // Now every kind waits, pings included.
    net::UniqueSocket lateping = Send("ping");
    net::UniqueSocket expand = Send("expand:\\");
    ASSERT_TRUE(Eventually([&] { return Counts().pending == 3; }));
    EXPECT_TRUE(StillOpen(expand.get()));

    // Light jobs ending lets the waiting light jobs start; the eleventh send still waits.
    listeners_.Set(listeners_.holdLight, false);
    EXPECT_EQ(ReadRaw(expand.get()), Framed("music\\1\\0\\empty\\1\\0"));
    ASSERT_TRUE(Eventually([&] { return Counts().pending == 1; }));
    EXPECT_EQ(listeners_.Logged("asked").size(), 10u);

    listeners_.Set(listeners_.holdSends, false);
    EXPECT_EQ(ReadRaw(eleventh.get()), Framed("hello"));
    EXPECT_TRUE(listeners_.WaitFor("sent", 11));
}

TEST_F(ServerTest, SilentAndSlowPeersHoldUpNobodyAndAreClosedAfterTheTimeLimit) {
    Start([](ServerOptions& options) { options.requestTimeoutMs = 500; });
    net::UniqueSocket silent = Connect();
    net::UniqueSocket slow = Connect();
    ASSERT_TRUE(testing_support::WriteRaw(slow.get(), "18:expand:\\mu"));
    ASSERT_TRUE(Eventually([&] { return Counts().reading == 2; }));
    EXPECT_EQ(Ask("expand:\\"), Framed("music\\1\\0\\empty\\1\\0"));
    EXPECT_TRUE(ClosedByPeer(silent.get()));
    EXPECT_TRUE(ClosedByPeer(slow.get()));
    EXPECT_TRUE(Eventually([&] { return Counts().connections == 0; }));
}

TEST_F(ServerTest, ConnectionsBeyondTheBoundsAreClosedAtOnce) {
    Start([](ServerOptions& options) {
        options.maxWaiting = 3;
        options.maxConnections = 4;
    });
    std::vector<net::UniqueSocket> silent;
    for (int i = 0; i < 3; ++i) silent.push_back(Connect());
    ASSERT_TRUE(Eventually([&] { return Counts().reading == 3; }));
    EXPECT_TRUE(ClosedByPeer(Connect().get()));
    for (auto& socket : silent) EXPECT_TRUE(StillOpen(socket.get()));
    // Two keep-alive connections and one silent one leave room for exactly one more.
    silent.resize(1);
    ASSERT_TRUE(Eventually([&] { return Counts().connections == 1; }));
    for (int i = 0; i < 2; ++i) silent.push_back(Send("ping"));
    ASSERT_TRUE(Eventually([&] { return Counts().running == 2 && Counts().connections == 3; }));
    net::UniqueSocket another = Connect();
    EXPECT_TRUE(ClosedByPeer(Connect().get()));
    EXPECT_TRUE(StillOpen(another.get()));
}

TEST_F(ServerTest, StopEndsRunningSendsAndClosesWaitingConnectionsPromptly) {
    Start([](ServerOptions& options) { options.maxSendsRunning = 1; });
    net::UniqueSocket stalled = StalledRetrieve(server_->Port());
    ASSERT_TRUE(listeners_.WaitFor("started"));
    net::UniqueSocket waiting = Send("retrieve:\\music\\a.txt");
    ASSERT_TRUE(Eventually([&] { return Counts().pending == 1; }));
    const auto before = std::chrono::steady_clock::now();
    server_->Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(3));
    EXPECT_EQ(ReadRaw(waiting.get()), "");
    EXPECT_EQ(listeners_.Logged("asked").size(), 1u);
    EXPECT_EQ(listeners_.Logged().back(), "failed 1");
}

// One peer that takes every connection slot must not lock the other hosts out: keep-alive
// connections never time out while they ping, and silent ones only after the request time limit.
TEST_F(ServerTest, OnePeerFloodingEitherBoundLeavesRoomForOthers) {
    for (const bool pinging : {true, false}) {
        SCOPED_TRACE(pinging ? "pings" : "silent");
        Start([&](ServerOptions& options) {
            (pinging ? options.maxConnections : options.maxWaiting) = pinging ? 32 : 16;
            options.requestTimeoutMs = 60'000;
        });
        std::vector<net::UniqueSocket> flood;
        for (int i = 0; i < (pinging ? 32 : 16); ++i) {
            flood.push_back(
                testing_support::ConnectFrom(testing_support::LoopbackHost(2), server_->Port()));
            ASSERT_TRUE(flood.back().valid());
            if (pinging) net::SendString(flood.back().get(), "ping", nullptr);
        }
        // Let the server take in (or turn away) the whole flood before the honest request comes.
        ASSERT_TRUE(Eventually([&] { return Counts().connections > 0; }));
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        EXPECT_EQ(Ask("expand:\\"), Framed("music\\1\\0\\empty\\1\\0"));
        server_->Stop();
    }
}

}  // namespace
}  // namespace server_test
