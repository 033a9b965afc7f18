#include "net/connect.h"

#include <gtest/gtest.h>

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

}  // namespace
