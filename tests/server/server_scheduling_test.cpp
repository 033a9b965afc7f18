// Limits, bounds, time limits and stopping of the share server, with connections held open.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <memory>

#include "net/connect.h"
#include "server/server_thread.h"
#include "server_test_support.h"

namespace {

using namespace server_test;
using testing_support::LoopbackAddress;

class ServerSchedulingTest : public ::testing::Test {
protected:
    void SetUp() override {
        sandbox_.WriteFile("music/a.txt", "hello");
        sandbox_.MakeFolder("music/sub");
        sandbox_.WriteFile("music/sub/deep.txt", "deeper");
        // Far larger than any socket buffer, and sparse, so it costs no disk.
        const int fd = ::open(sandbox_.Path("music/huge.bin").c_str(), O_CREAT | O_WRONLY, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, 1LL << 30), 0);
        ::close(fd);
        sandbox_.WriteFile("wendaro.ini", "[shares]\nmusic=" + sandbox_.Path("music") + "\n");
    }

    void TearDown() override {
        // Nothing may stay held, or stopping would wait for ever.
        listeners_.HoldPermission(false);
        listeners_.HoldHostModified(false);
        if (server_) server_->Stop();
    }

    CServerThread& Start(ServerOptions options = LoopbackOptions()) {
        server_ =
            std::make_unique<CServerThread>(&listeners_, &listeners_, &listeners_, "host", "1.0 ",
                                            &shutdown_, sandbox_.Path("wendaro.ini"), options);
        EXPECT_NE(server_->Port(), 0);
        return *server_;
    }

    net::UniqueSocket Request(const std::string& line) {
        net::UniqueSocket socket = SendRequest(server_->Port(), line);
        EXPECT_TRUE(socket.valid()) << line;
        return socket;
    }

    // A retrieve of the huge file by a client that never reads, so the send stays running.
    net::UniqueSocket StalledRetrieve() {
        net::UniqueSocket socket = net::CreateTcpSocket();
        testing_support::ShrinkBuffers(socket.get());
        net::SetBlocking(socket.get(), false);
        EXPECT_TRUE(
            net::ConnectWithRetry(socket.get(), LoopbackAddress(), server_->Port(), 3, nullptr));
        EXPECT_TRUE(net::SendString(socket.get(), "retrieve:\\music\\huge.bin", nullptr));
        return socket;
    }

    bool UploadStarted() const {
        for (const auto& event : listeners_.Uploads()) {
            if (event.kind == 'S') return true;
        }
        return false;
    }

    Sandbox sandbox_;
    RecordingListeners listeners_;
    StopFlag shutdown_{false};
    std::unique_ptr<CServerThread> server_;
};

TEST_F(ServerSchedulingTest, FileSendsAndLightJobsWaitForTheirOwnLimits) {
    listeners_.HoldPermission(true);
    listeners_.HoldHostModified(true);
    Start();
    std::vector<net::UniqueSocket> sends;
    for (int i = 0; i < 10; ++i) sends.push_back(Request("retrieve:\\music\\a.txt"));
    ASSERT_TRUE(Eventually([&] { return listeners_.PermissionAsks().size() == 10; }));
    EXPECT_EQ(server_->Counts().sendsRunning, 10u);

    net::UniqueSocket eleventh = Request("retrieve:\\music\\a.txt");
    ASSERT_TRUE(Eventually([&] { return server_->Counts().pending == 1; }));

    // Keep-alive connections start beside full file sends and count nowhere.
    std::vector<net::UniqueSocket> pings;
    for (int i = 0; i < 3; ++i) pings.push_back(Request("ping"));
    ASSERT_TRUE(Eventually([&] { return server_->Counts().running == 13; }));
    EXPECT_EQ(server_->Counts().lightRunning, 0u);

    std::vector<net::UniqueSocket> light;
    for (int i = 0; i < 20; ++i) light.push_back(Request("hostmodified"));
    ASSERT_TRUE(Eventually([&] { return listeners_.HostModified().size() == 20; }));
    EXPECT_EQ(server_->Counts().lightRunning, 20u);

    // Now every kind waits, pings included.
    net::UniqueSocket lateping = Request("ping");
    net::UniqueSocket expand = Request("expand:\\music\\sub");
    ASSERT_TRUE(Eventually([&] { return server_->Counts().pending == 3; }));
    EXPECT_TRUE(StillOpen(expand.get()));
    EXPECT_EQ(listeners_.PermissionAsks().size(), 10u);

    // Light jobs ending lets the waiting light jobs start; the eleventh send still waits.
    listeners_.HoldHostModified(false);
    EXPECT_EQ(testing_support::ReadRaw(expand.get()), Framed("deep.txt\\0\\6"));
    ASSERT_TRUE(Eventually([&] { return server_->Counts().pending == 1; }));
    EXPECT_EQ(server_->Counts().sendsRunning, 10u);
    EXPECT_EQ(listeners_.PermissionAsks().size(), 10u);

    listeners_.HoldPermission(false);
    for (auto& socket : sends) EXPECT_EQ(testing_support::ReadRaw(socket.get()), Framed("hello"));
    EXPECT_EQ(testing_support::ReadRaw(eleventh.get()), Framed("hello"));
    EXPECT_EQ(listeners_.PermissionAsks().size(), 11u);
}

TEST_F(ServerSchedulingTest, ManyOpenPingsDoNotKeepALightJobFromStarting) {
    Start();
    std::vector<net::UniqueSocket> pings;
    for (int i = 0; i < 40; ++i) pings.push_back(Request("ping"));
    ASSERT_TRUE(Eventually([&] { return server_->Counts().running == 40; }));
    EXPECT_EQ(Exchange(server_->Port(), "expand:\\music\\sub"), Framed("deep.txt\\0\\6"));
}

TEST_F(ServerSchedulingTest, SilentPeersDoNotHoldUpOtherClients) {
    Start();
    net::UniqueSocket silent = Connect(server_->Port());
    net::UniqueSocket slow = Connect(server_->Port());
    ASSERT_TRUE(testing_support::WriteRaw(slow.get(), "18:expand:\\mu"));
    ASSERT_TRUE(Eventually([&] { return server_->Counts().reading == 2; }));
    EXPECT_EQ(Exchange(server_->Port(), "expand:\\music\\sub"), Framed("deep.txt\\0\\6"));
    EXPECT_TRUE(StillOpen(silent.get()));
}

TEST_F(ServerSchedulingTest, RequestsThatTakeTooLongAreClosed) {
    ServerOptions options = LoopbackOptions();
    options.requestTimeoutMs = 200;
    Start(options);
    net::UniqueSocket silent = Connect(server_->Port());
    net::UniqueSocket slow = Connect(server_->Port());
    ASSERT_TRUE(testing_support::WriteRaw(slow.get(), "18:expand:\\mu"));
    EXPECT_TRUE(ClosedByPeer(silent.get()));
    EXPECT_TRUE(ClosedByPeer(slow.get()));
    ASSERT_TRUE(Eventually([&] { return server_->Counts().reading == 0; }));
}

TEST_F(ServerSchedulingTest, ConnectionsBeyondTheBoundsAreClosedAtOnce) {
    ServerOptions options = LoopbackOptions();
    options.maxWaiting = 3;
    options.maxConnections = 4;
    Start(options);
    std::vector<net::UniqueSocket> silent;
    for (int i = 0; i < 3; ++i) silent.push_back(Connect(server_->Port()));
    ASSERT_TRUE(Eventually([&] { return server_->Counts().reading == 3; }));
    net::UniqueSocket excess = Connect(server_->Port());
    EXPECT_TRUE(ClosedByPeer(excess.get()));
    for (auto& socket : silent) EXPECT_TRUE(StillOpen(socket.get()));

    // Two long-lived connections fill the total bound.
    silent.pop_back();
    silent.pop_back();
    ASSERT_TRUE(Eventually([&] { return server_->Counts().connections == 1; }));
    std::vector<net::UniqueSocket> pings;
    for (int i = 0; i < 2; ++i) pings.push_back(Request("ping"));
    ASSERT_TRUE(Eventually([&] {
        const ServerCounts counts = server_->Counts();
        return counts.running == 2 && counts.reading == 1;
    }));
    net::UniqueSocket another = Connect(server_->Port());
    net::UniqueSocket beyond = Connect(server_->Port());
    EXPECT_TRUE(ClosedByPeer(beyond.get()));
    EXPECT_TRUE(StillOpen(another.get()));
}

TEST_F(ServerSchedulingTest, StopEndsRunningSendsAndClosesWaitingConnections) {
    ServerOptions options = LoopbackOptions();
    options.maxSendsRunning = 1;
    Start(options);
    net::UniqueSocket stalled = StalledRetrieve();
    ASSERT_TRUE(Eventually([&] { return UploadStarted(); }));
    net::UniqueSocket waiting = Request("retrieve:\\music\\a.txt");
    ASSERT_TRUE(Eventually([&] { return server_->Counts().pending == 1; }));

    const auto before = std::chrono::steady_clock::now();
    server_->Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(3));

    EXPECT_EQ(testing_support::ReadRaw(waiting.get()), "");
    EXPECT_EQ(listeners_.PermissionAsks().size(), 1u);
    const auto uploads = listeners_.Uploads();
    ASSERT_FALSE(uploads.empty());
    EXPECT_EQ(uploads.back().kind, 'F');
    EXPECT_FALSE(uploads.back().success);
}

TEST_F(ServerSchedulingTest, TheShutdownFlagEndsARunningSend) {
    Start();
    net::UniqueSocket stalled = StalledRetrieve();
    ASSERT_TRUE(Eventually([&] { return UploadStarted(); }));
    shutdown_ = true;
    ASSERT_TRUE(listeners_.WaitForUploadFinished());
    EXPECT_FALSE(listeners_.Uploads().back().success);
}

TEST_F(ServerSchedulingTest, ACancelFlagHandedOutBeforeTheSendEndsOnlyThatSend) {
    StopFlag cancel{false};
    listeners_.SetUploadRequestedHook(
        [&](std::uint32_t, const StopFlag** slot) { *slot = &cancel; });
    Start();
    net::UniqueSocket stalled = StalledRetrieve();
    ASSERT_TRUE(Eventually([&] { return UploadStarted(); }));
    cancel = true;
    ASSERT_TRUE(listeners_.WaitForUploadFinished());
    EXPECT_FALSE(listeners_.Uploads().back().success);
    EXPECT_TRUE(ClosedByPeer(stalled.get()));
    EXPECT_EQ(Exchange(server_->Port(), "expand:\\music\\sub"), Framed("deep.txt\\0\\6"));
}

TEST(ServerStartTest, AServerThatCannotListenReportsPortZeroAndStops) {
    RecordingListeners listeners;
    StopFlag shutdown{false};
    ServerOptions options = LoopbackOptions();
    CServerThread first(&listeners, &listeners, &listeners, "", "", &shutdown, "", options);
    ASSERT_NE(first.Port(), 0);
    options.port = first.Port();
    CServerThread second(&listeners, &listeners, &listeners, "", "", &shutdown, "", options);
    EXPECT_EQ(second.Port(), 0);
    second.Stop();
    first.Stop();
}

}  // namespace
