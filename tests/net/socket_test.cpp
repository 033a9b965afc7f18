#include "net/socket.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "net/connect.h"
#include "support/loopback.h"

namespace {

using testing_support::ClosedLoopbackPort;
using testing_support::ListenOnLoopback;
using testing_support::LoopbackAddress;

bool IsOpen(int fd) {
    return ::fcntl(fd, F_GETFD) != -1;
}

TEST(UniqueSocket, OwnsExactlyOneDescriptor) {
    net::UniqueSocket first = net::CreateTcpSocket();
    const int fd = first.get();
    net::UniqueSocket second = std::move(first);
    EXPECT_FALSE(first.valid());
    EXPECT_TRUE(IsOpen(fd));
    second.reset();
    EXPECT_FALSE(IsOpen(fd));
    const int released = net::CreateTcpSocket().release();
    EXPECT_TRUE(IsOpen(released));
    { net::UniqueSocket owner(released); }
    EXPECT_FALSE(IsOpen(released));
}

TEST(Ipv4Text, DottedQuadsAndHostNames) {
    Ipv4 address = 0;
    ASSERT_TRUE(net::ParseIpv4("192.168.1.20", address));
    EXPECT_EQ(address, htonl(0xC0A80114));
    EXPECT_EQ(net::FormatIpv4(address), "192.168.1.20");
    for (const char* bad : {"", "1.2.3", "256.1.1.1", "1.2.3.4.5", "host", " 1.2.3.4"}) {
        EXPECT_FALSE(net::ParseIpv4(bad, address)) << bad;
        EXPECT_EQ(address, 0u) << bad;
    }
    EXPECT_TRUE(net::ResolveHost("localhost", address));
    EXPECT_EQ(ntohl(address) >> 24, 127u);
    EXPECT_FALSE(net::ResolveHost("", address));
    EXPECT_FALSE(net::ResolveHost("no-such-host.invalid", address));
}

TEST(AcceptConnection, ReportsPeerAndPortsOrGivesUpOnTimeoutAndStop) {
    auto listener = ListenOnLoopback();
    ASSERT_NE(listener.port, 0);
    EXPECT_FALSE(net::AcceptConnection(listener.socket.get(), nullptr, nullptr, 150).valid());
    StopFlag stop{false};
    std::thread stopper = testing_support::RaiseLater(stop, 150);
    EXPECT_FALSE(net::AcceptConnection(listener.socket.get(), &stop, nullptr, -1).valid());
    stopper.join();

    auto client = net::ConnectTo(LoopbackAddress(), listener.port, nullptr, 1);
    Ipv4 peer = 0;
    auto accepted = net::AcceptConnection(listener.socket.get(), nullptr, &peer, 2000);
    ASSERT_TRUE(accepted.valid());
    EXPECT_EQ(peer, LoopbackAddress());
    EXPECT_EQ(net::PeerAddress(accepted.get()), LoopbackAddress());
    EXPECT_EQ(net::LocalPort(accepted.get()), listener.port);
    EXPECT_EQ(net::PeerAddress(client.get()), LoopbackAddress());
    EXPECT_NE(::fcntl(accepted.get(), F_GETFL) & O_NONBLOCK, 0);
}

TEST(ConnectWithRetry, GivesUpAfterItsAttemptsOrWhenStopped) {
    const std::uint16_t port = ClosedLoopbackPort();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(net::ConnectTo(LoopbackAddress(), port, nullptr).valid());
    // Ten refused attempts, each followed by a 100 ms pause.
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900));
    StopFlag stop{false};
    std::thread stopper = testing_support::RaiseLater(stop, 300);
    net::UniqueSocket socket = net::CreateTcpSocket();
    ASSERT_TRUE(net::SetBlocking(socket.get(), false));
    EXPECT_FALSE(net::ConnectWithRetry(socket.get(), LoopbackAddress(), port, 0, &stop));
    stopper.join();
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
    EXPECT_TRUE(net::AcceptConnection(late.get(), nullptr, nullptr, 2000).valid());
}

}  // namespace
