#include "net/connect.h"

#include <gtest/gtest.h>
#include <sys/socket.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "support/loopback.h"

namespace {

using testing_support::ClosedLoopbackPort;
using testing_support::LoopbackAddress;

TEST(ConnectWithRetry, GivesUpOnAPortNobodyListensOn) {
    const std::uint16_t port = ClosedLoopbackPort();
    net::UniqueSocket socket = net::CreateTcpSocket();
    ASSERT_TRUE(net::SetBlocking(socket.get(), false));
    EXPECT_FALSE(net::ConnectWithRetry(socket.get(), LoopbackAddress(), port, 10, nullptr));
    EXPECT_FALSE(net::ConnectTo(LoopbackAddress(), port, nullptr).valid());
}

TEST(ConnectWithRetry, LaterAttemptReachesAListenerThatStartedLate) {
    const std::uint16_t port = ClosedLoopbackPort();
    net::UniqueSocket late;
    std::thread starter([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        late = net::CreateListener(LoopbackAddress(), port);
    });
    net::UniqueSocket socket = net::ConnectTo(LoopbackAddress(), port, nullptr, 30);
    starter.join();
    ASSERT_TRUE(late.valid()) << "port was taken meanwhile";
    EXPECT_TRUE(socket.valid());
    EXPECT_NE(net::AcceptConnection(late.get(), nullptr, nullptr, 2000).get(), net::kInvalidSocket);
}

TEST(ConnectWithRetry, StopFlagEndsUnlimitedAttempts) {
    const std::uint16_t port = ClosedLoopbackPort();
    StopFlag stop{false};
    std::thread stopper([&stop] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        stop = true;
    });
    net::UniqueSocket socket = net::CreateTcpSocket();
    ASSERT_TRUE(net::SetBlocking(socket.get(), false));
    EXPECT_FALSE(net::ConnectWithRetry(socket.get(), LoopbackAddress(), port, 0, &stop));
    stopper.join();
}

TEST(SendBroadcast, DatagramCarriesTheTextAndOneZeroByte) {
    net::UniqueSocket receiver(::socket(AF_INET, SOCK_DGRAM, 0));
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = LoopbackAddress();
    ASSERT_EQ(::bind(receiver.get(), reinterpret_cast<sockaddr*>(&local), sizeof local), 0);
    const std::uint16_t port = net::LocalPort(receiver.get());
    ASSERT_TRUE(net::SendBroadcast(port, "hello", LoopbackAddress()));
    char buffer[64] = {};
    timeval wait{5, 0};
    ::setsockopt(receiver.get(), SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    const ssize_t got = ::recv(receiver.get(), buffer, sizeof buffer, 0);
    EXPECT_EQ(std::string(buffer, got > 0 ? static_cast<std::size_t>(got) : 0),
              std::string("hello\0", 6));
}

}  // namespace
