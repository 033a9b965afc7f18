// Limits, bounds, time limits and stopping of the share server, with connections held open.
#include <sys/stat.h>

#include <fstream>

#include "net/connect.h"
#include "server_test_support.h"

namespace server_test {
namespace {

// A retrieve of the huge file by a client that never reads, so the send stays running.
net::UniqueSocket StalledRetrieve(std::uint16_t port, Ipv4 from = LoopbackAddress()) {
    net::UniqueSocket socket = testing_support::ConnectFrom(from, port, LoopbackAddress(), true);
    EXPECT_TRUE(net::SendString(socket.get(), "retrieve:\\music\\huge.bin", nullptr));
    return socket;
}

TEST_F(ServerTest, FileSendsAndLightJobsWaitForTheirOwnLimits) {
    listeners_.Set(listeners_.holdLight, true);
    Start([](ServerOptions& options) { options.slowSendWindowMs = 600'000; });
    // Ten hosts, as one host may hold only a part of the send slots.
    std::vector<net::UniqueSocket> stalled;
    for (int i = 0; i < 10; ++i)
        stalled.push_back(StalledRetrieve(server_->Port(), testing_support::LoopbackHost(10 + i)));
    ASSERT_TRUE(listeners_.WaitFor("started", 10));
    net::UniqueSocket eleventh = Send("retrieve:\\music\\a.txt");
    ASSERT_TRUE(Eventually([&] { return Counts().pending == 1; }));
    EXPECT_EQ(listeners_.Logged("asked").size(), 11u);  // asked before it waits for a slot
    std::vector<net::UniqueSocket> held;
    // Keep-alive connections start beside full file sends and count nowhere.
    for (int i = 0; i < 3; ++i) held.push_back(Send("ping"));
    ASSERT_TRUE(Eventually([&] { return Counts().running == 13; }));
    for (int i = 0; i < 20; ++i)
        held.push_back(testing_support::ConnectFrom(testing_support::LoopbackHost(30 + i % 2),
                                                    server_->Port()));
    for (int i = 3; i < 23; ++i)
        EXPECT_TRUE(net::SendString(held[i].get(), "hostmodified", nullptr));
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

    stalled.clear();
    EXPECT_EQ(ReadRaw(eleventh.get()), Framed("hello"));
    EXPECT_TRUE(listeners_.WaitFor("sent", 1));
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
    EXPECT_EQ(listeners_.Logged("requested").size(), 1u);
    EXPECT_EQ(listeners_.Logged().back(), "failed 1");
}

// The request-port flood end-to-end test proves that known hosts and fresh clients still get in;
// here one address may fill the table while alone, and gives way once another host needs room.
TEST_F(ServerTest, UnderContentionTheHostHoldingTheMostGivesWay) {
    Start([](ServerOptions& options) {
        options.maxConnections = 6;
        options.reservedForKnownPercent = 0;
    });
    const auto from = [&](int host) {
        net::UniqueSocket socket =
            testing_support::ConnectFrom(testing_support::LoopbackHost(host), server_->Port());
        EXPECT_TRUE(net::SendString(socket.get(), "ping", nullptr));
        return socket;
    };
    std::vector<net::UniqueSocket> greedy;
    for (int i = 0; i < 5; ++i) greedy.push_back(from(4));
    net::UniqueSocket first = from(5);
    ASSERT_TRUE(Eventually([&] { return Counts().running == 6; }));
    for (auto& socket : greedy) EXPECT_TRUE(StillOpen(socket.get()));
    net::UniqueSocket second = from(5);
    EXPECT_TRUE(ClosedByPeer(greedy.front().get()));
    EXPECT_TRUE(Eventually([&] { return Counts().running == 6; }));
    EXPECT_TRUE(StillOpen(first.get()));
    EXPECT_TRUE(StillOpen(second.get()));
}

// A host whose replies crawl keeps neither its slots for good nor all of them meanwhile.
TEST_F(ServerTest, AHostHoldsOnlyItsShareOfTheSlotsAndACrawlingReplyIsGivenUp) {
    Start([](ServerOptions& options) {
        options.maxSendsRunning = 3;
        options.maxSendsRunningPerAddress = 2;
        options.maxLightRunning = 3;
        options.maxLightRunningPerAddress = 2;
        options.slowSendWindowMs = 1'000;
        options.minSendBytesPerSecond = 64 * 1024;
    });
    listeners_.Set(listeners_.holdLight, true);
    const Ipv4 greedy = testing_support::LoopbackHost(4);
    std::vector<net::UniqueSocket> held;
    for (int i = 0; i < 3; ++i) held.push_back(StalledRetrieve(server_->Port(), greedy));
    for (int i = 0; i < 3; ++i) {
        held.push_back(testing_support::ConnectFrom(greedy, server_->Port()));
        EXPECT_TRUE(net::SendString(held.back().get(), "hostmodified", nullptr));
    }
    ASSERT_TRUE(listeners_.WaitFor("started", 2));
    ASSERT_TRUE(listeners_.WaitFor("modified", 2));
    EXPECT_TRUE(Eventually([&] { return Counts().pending == 2; }));
    EXPECT_EQ(Counts().sendsRunning, 2u);
    EXPECT_EQ(Counts().lightRunning, 2u);
    // Another host is served beside it at once.
    EXPECT_EQ(ReadRaw(Send("retrieve:\\music\\a.txt").get(), 1 << 20, 2000), Framed("hello"));
    EXPECT_EQ(ReadRaw(Send("expand:\\").get(), 1 << 20, 2000), Framed("music\\1\\0\\empty\\1\\0"));

    // The sends that the peer does not take end well before the idle limit of 20 s, and the
    // waiting one gets its turn (and ends the same way).
    EXPECT_TRUE(listeners_.WaitFor("failed", 2));
    EXPECT_TRUE(listeners_.WaitFor("started", 4));
    // A job that sends nothing is not the peer's fault: it runs on.
    EXPECT_TRUE(StillOpen(held[3].get()));
}

// Questions wait outside the send slots, end when their asker leaves, and have a time limit.
TEST_F(ServerTest, PermissionQuestionsHoldNoSendSlotAndEndWithTheirConnection) {
    Start([](ServerOptions& options) {
        options.maxSendsRunning = 2;
        options.questionTimeoutMs = 2'000;
    });
    listeners_.Set(listeners_.holdQuestions, true);
    std::vector<net::UniqueSocket> askers;
    for (int i = 0; i < 3; ++i) {
        askers.push_back(
            testing_support::ConnectFrom(testing_support::LoopbackHost(4 + i), server_->Port()));
        EXPECT_TRUE(net::SendString(askers.back().get(), "retrieve:\\music\\a.txt", nullptr));
    }
    ASSERT_TRUE(listeners_.WaitFor("asked", 3));
    EXPECT_EQ(Counts().asking, 3u);
    EXPECT_EQ(Counts().sendsRunning, 0u);

    // Two askers leave: their questions end without the user's answer.
    askers[0].reset();
    askers[1].reset();
    EXPECT_TRUE(Eventually([&] { return listeners_.Logged("cancelled").size() == 2; }));
    // The third question runs out of time; its asker learns of it by the connection closing.
    EXPECT_TRUE(ClosedByPeer(askers[2].get(), 5000));
    EXPECT_EQ(listeners_.Logged("cancelled").size(), 3u);
    EXPECT_TRUE(Eventually([&] { return Counts().connections == 0; }));
    EXPECT_TRUE(listeners_.Logged("started").empty());
}

// A host alone with a burst is no contention: what cannot run yet waits for its turn.
TEST_F(ServerTest, ABurstFromOneUnknownAddressIsAnsweredWholeAfterWaiting) {
    Start();
    const Ipv4 burster = testing_support::LoopbackHost(4);
    const std::string listing = Framed("music\\1\\0\\empty\\1\\0");
    std::vector<net::UniqueSocket> burst;
    for (int i = 0; i < 200; ++i) {
        burst.push_back(testing_support::ConnectFrom(burster, server_->Port()));
        testing_support::WriteRaw(burst.back().get(), Framed("expand:\\"));
    }
    int answered = 0;
    for (auto& socket : burst) answered += ReadRaw(socket.get()) == listing ? 1 : 0;
    EXPECT_EQ(answered, 200);

    // Keep-alives count nowhere, and their number does not keep a request of their host waiting.
    std::vector<net::UniqueSocket> pings;
    for (int i = 0; i < 100; ++i) {
        pings.push_back(testing_support::ConnectFrom(burster, server_->Port()));
        testing_support::WriteRaw(pings.back().get(), Framed("ping"));
    }
    EXPECT_TRUE(Eventually([&] { return Counts().running == 100; }));
    net::UniqueSocket expand = testing_support::ConnectFrom(burster, server_->Port());
    testing_support::WriteRaw(expand.get(), Framed("expand:\\"));
    EXPECT_EQ(ReadRaw(expand.get(), 1 << 20, 2000), listing);
    EXPECT_EQ(
        std::count_if(pings.begin(), pings.end(),
                      [](const net::UniqueSocket& socket) { return StillOpen(socket.get()); }),
        100);
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
