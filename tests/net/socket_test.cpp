#include "net/socket.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "support/loopback.h"

namespace {

using testing_support::ListenOnLoopback;
using testing_support::LoopbackAddress;

bool IsOpen(int fd) {
    return ::fcntl(fd, F_GETFD) != -1;
}

TEST(UniqueSocket, ClosesOnResetAndDestructionAndMovesOwnership) {
    net::UniqueSocket first = net::CreateTcpSocket();
    ASSERT_TRUE(first.valid());
    const int fd = first.get();
    net::UniqueSocket second = std::move(first);
    EXPECT_FALSE(first.valid());
    EXPECT_EQ(second.get(), fd);
    EXPECT_TRUE(IsOpen(fd));
    second.reset();
    EXPECT_FALSE(IsOpen(fd));

    int released = -1;
    {
        net::UniqueSocket scoped = net::CreateTcpSocket();
        released = scoped.release();
    }
    EXPECT_TRUE(IsOpen(released));
    { net::UniqueSocket owner(released); }
    EXPECT_FALSE(IsOpen(released));
}

TEST(Ipv4Text, RoundTripsDottedQuadsAndRejectsTheRest) {
    Ipv4 address = 0;
    ASSERT_TRUE(net::ParseIpv4("192.168.1.20", address));
    EXPECT_EQ(address, htonl(0xC0A80114));
    EXPECT_EQ(net::FormatIpv4(address), "192.168.1.20");
    EXPECT_EQ(net::FormatIpv4(LoopbackAddress()), "127.0.0.1");
    for (const char* bad : {"", "1.2.3", "256.1.1.1", "1.2.3.4.5", "host", " 1.2.3.4"}) {
        EXPECT_FALSE(net::ParseIpv4(bad, address)) << bad;
        EXPECT_EQ(address, 0u) << bad;
    }
}

TEST(ResolveHost, TakesDottedAddressesAndLocalNames) {
    Ipv4 address = 0;
    EXPECT_TRUE(net::ResolveHost("10.1.2.3", address));
    EXPECT_EQ(net::FormatIpv4(address), "10.1.2.3");
    EXPECT_TRUE(net::ResolveHost("localhost", address));
    EXPECT_EQ((ntohl(address) >> 24), 127u);
    EXPECT_FALSE(net::ResolveHost("", address));
    EXPECT_FALSE(net::ResolveHost("no-such-host.invalid", address));
}

TEST(AcceptConnection, ReportsPeerAndPorts) {
    auto listener = ListenOnLoopback();
    ASSERT_TRUE(listener.socket.valid());
    ASSERT_NE(listener.port, 0);
    auto client = net::ConnectTo(LoopbackAddress(), listener.port, nullptr, 1);
    ASSERT_TRUE(client.valid());
    Ipv4 peer = 0;
    auto accepted = net::AcceptConnection(listener.socket.get(), nullptr, &peer, 2000);
    ASSERT_TRUE(accepted.valid());
    EXPECT_EQ(peer, LoopbackAddress());
    EXPECT_EQ(net::PeerAddress(accepted.get()), LoopbackAddress());
    EXPECT_EQ(net::LocalPort(accepted.get()), listener.port);
    EXPECT_EQ(net::PeerAddress(client.get()), LoopbackAddress());
    EXPECT_NE(::fcntl(accepted.get(), F_GETFL) & O_NONBLOCK, 0);
}

TEST(AcceptConnection, GivesUpOnTimeoutAndOnStop) {
    auto listener = ListenOnLoopback();
    ASSERT_TRUE(listener.socket.valid());
    EXPECT_FALSE(net::AcceptConnection(listener.socket.get(), nullptr, nullptr, 0).valid());
    EXPECT_FALSE(net::AcceptConnection(listener.socket.get(), nullptr, nullptr, 150).valid());
    StopFlag stop{false};
    std::thread stopper([&stop] {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        stop = true;
    });
    EXPECT_FALSE(net::AcceptConnection(listener.socket.get(), &stop, nullptr, -1).valid());
    stopper.join();
}

}  // namespace
