// One hostile peer that takes every connection slot of the share server must not lock the other
// hosts out: the bounds are shared out per peer address.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "net/connect.h"
#include "server/server_thread.h"
#include "server_test_support.h"

namespace {

using namespace server_test;
using testing_support::LoopbackAddress;

// 127.0.0.<last>: a second loopback address, so that the flood comes from another host than the
// well-behaved client on 127.0.0.1.
Ipv4 Loopback(int last) {
    return htonl(0x7F000000u | static_cast<std::uint32_t>(last));
}

net::UniqueSocket ConnectFrom(Ipv4 source, std::uint16_t port) {
    net::UniqueSocket socket = net::CreateTcpSocket();
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = source;
    if (!socket.valid() ||
        ::bind(socket.get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0 ||
        !net::SetBlocking(socket.get(), false) ||
        !net::ConnectWithRetry(socket.get(), LoopbackAddress(), port, 3, nullptr)) {
        return {};
    }
    return socket;
}

class HostileFloodTest : public ::testing::Test {
protected:
    void SetUp() override {
        sandbox_.WriteFile("music/sub/deep.txt", "deeper");
        sandbox_.WriteFile("wendaro.ini", "[shares]\nmusic=" + sandbox_.Path("music") + "\n");
    }
    void TearDown() override {
        if (server_) server_->Stop();
    }

    void Start(ServerOptions options) {
        server_ =
            std::make_unique<CServerThread>(&listeners_, &listeners_, &listeners_, "host", "1.0 ",
                                            &shutdown_, sandbox_.Path("wendaro.ini"), options);
        ASSERT_NE(server_->Port(), 0);
    }

    Sandbox sandbox_;
    RecordingListeners listeners_;
    StopFlag shutdown_{false};
    std::unique_ptr<CServerThread> server_;
};

// Keep-alive connections never time out while they ping, so without a share per address one host
// could hold every slot for as long as it likes.
TEST_F(HostileFloodTest, OnePeerOpeningPingsUpToTheConnectionBoundLeavesRoomForOthers) {
    ServerOptions options = LoopbackOptions();
    options.maxConnections = 32;
    Start(options);
    std::vector<net::UniqueSocket> flood;
    for (std::size_t i = 0; i < options.maxConnections; ++i) {
        net::UniqueSocket socket = ConnectFrom(Loopback(2), server_->Port());
        ASSERT_TRUE(socket.valid());
        if (net::SendString(socket.get(), "ping", nullptr)) flood.push_back(std::move(socket));
    }
    // Let the server take in (or turn away) the whole flood before the honest request comes.
    Eventually([&] { return server_->Counts().reading == 0 && server_->Counts().pending == 0; });
    EXPECT_EQ(Exchange(server_->Port(), "expand:\\music\\sub"), Framed("deep.txt\\0\\6"));
}

// Silent connections are closed after the request time limit, but a peer that keeps opening them
// would otherwise keep every waiting slot, and with it the whole server, to itself.
TEST_F(HostileFloodTest, OnePeerHoldingEveryWaitingSlotSilentLeavesRoomForOthers) {
    ServerOptions options = LoopbackOptions();
    options.maxWaiting = 16;
    options.requestTimeoutMs = 60'000;
    Start(options);
    std::vector<net::UniqueSocket> flood;
    for (std::size_t i = 0; i < options.maxWaiting; ++i) {
        flood.push_back(ConnectFrom(Loopback(2), server_->Port()));
        ASSERT_TRUE(flood.back().valid());
    }
    // Let the server take in (or turn away) the whole flood before the honest request comes.
    ASSERT_TRUE(Eventually([&] { return server_->Counts().connections > 0; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(Exchange(server_->Port(), "expand:\\music\\sub"), Framed("deep.txt\\0\\6"));
}

}  // namespace
