// Limits, bounds, time limits and stopping of the share server, with connections held open.
#include <sys/stat.h>

#include <fstream>

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

// A keep-alive's deadline is set on its own thread while the listener sleeps with no deadline of
// its own to wake it: the listener must still keep it.
TEST_F(ServerTest, AKeepAliveThatFallsSilentIsClosedAfterItsIdleLimit) {
    Start([](ServerOptions& options) { options.pingIdleTimeoutMs = 300; });
    net::UniqueSocket ping = Send("ping");
    ASSERT_TRUE(Eventually([&] { return Counts().running == 1; }));
    EXPECT_TRUE(ClosedByPeer(ping.get()));
}

// The keep-alive's own limit decides, also when it is longer than a receive's idle limit.
TEST_F(ServerTest, AKeepAliveMayStaySilentForItsWholeIdleLimit) {
    struct ShortReceives {
        ShortReceives() { net::SetReceiveIdleTimeout(300); }
        ~ShortReceives() { net::SetReceiveIdleTimeout(0); }
    } shortReceives;
    Start([](ServerOptions& options) { options.pingIdleTimeoutMs = 1500; });
    net::UniqueSocket ping = Send("ping");
    ASSERT_TRUE(Eventually([&] { return Counts().running == 1; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(900));
    ASSERT_TRUE(testing_support::WriteRaw(ping.get(), "4:ping"));
    std::this_thread::sleep_for(std::chrono::milliseconds(900));
    EXPECT_TRUE(StillOpen(ping.get()));
    EXPECT_TRUE(ClosedByPeer(ping.get()));
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

// The request-port flood end-to-end test proves that known hosts and fresh clients still get in;
// here one address alone gets no more than its share.
TEST_F(ServerTest, OneUnknownAddressGetsNoMoreThanItsShareOfConnections) {
    Start([](ServerOptions& options) { options.maxPerUnknownAddress = 2; });
    std::vector<net::UniqueSocket> greedy;
    for (int i = 0; i < 3; ++i)
        greedy.push_back(
            testing_support::ConnectFrom(testing_support::LoopbackHost(4), server_->Port()));
    EXPECT_TRUE(ClosedByPeer(greedy.back().get()));
    EXPECT_TRUE(StillOpen(greedy.front().get()));
}

// Reading the settings file must not hold the lock that accepting other connections needs: a
// settings file that does not answer (here a named pipe nobody writes) stalls only its request.
TEST_F(ServerTest, ASettingsFileThatStallsHoldsUpOnlyTheRequestThatReadsIt) {
    ASSERT_EQ(::unlink(Path("wendaro.ini").c_str()), 0);
    ASSERT_EQ(::mkfifo(Path("wendaro.ini").c_str(), 0600), 0);
    Start();
    net::UniqueSocket stalled = Send("expand:\\");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const std::string info = ReadRaw(Send("gethostinfo").get(), 1 << 20, 2000);
    // Lets the stalled read end, whatever came before.
    { std::ofstream(Path("wendaro.ini")) << "[shares]\nx=/\n"; }
    EXPECT_TRUE(info.find("host\n") != std::string::npos) << info;
    EXPECT_EQ(ReadRaw(stalled.get()), Framed("x\\1\\0"));
}

}  // namespace
}  // namespace server_test
