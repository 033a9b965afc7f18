#include "net/socket.h"

#include <fcntl.h>
#include <gtest/gtest.h>

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
}

TEST(Ipv4Text, DottedQuadsAndHostNames) {
    Ipv4 address = 0;
    ASSERT_TRUE(net::ParseIpv4("192.168.1.20", address));
    EXPECT_EQ(address, htonl(0xC0A80114));
    EXPECT_EQ(net::FormatIpv4(address), "192.168.1.20");
    for (const char* bad : {"", "1.2.3", "256.1.1.1", "1.2.3.4.5", "host", " 1.2.3.4"})
        EXPECT_FALSE(net::ParseIpv4(bad, address)) << bad;
    // A name the lookup itself turns into an address (the short dotted form), so that the test
    // does not depend on what this machine's resolver knows.
    address = 0;
    EXPECT_TRUE(net::ResolveHost("127.1", address));
    EXPECT_EQ(address, htonl(0x7F000001));
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
}

TEST(ConnectWithRetry, GivesUpAfterItsAttemptsOrWhenStopped) {
    const std::uint16_t port = ClosedLoopbackPort();
    EXPECT_FALSE(net::ConnectTo(LoopbackAddress(), port, nullptr, 2).valid());
    StopFlag stop{false};
    std::thread stopper = testing_support::RaiseLater(stop, 300);
    net::UniqueSocket socket = net::CreateTcpSocket();
    ASSERT_TRUE(net::SetBlocking(socket.get(), false));
    EXPECT_FALSE(net::ConnectWithRetry(socket.get(), LoopbackAddress(), port, 0, &stop));
    stopper.join();
}

}  // namespace
