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

}  // namespace
