#include "net/socket.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include "net/connect.h"

namespace {

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
    for (const char* bad : {"1.2.3", "256.1.1.1", "1.2.3.4.5", " 1.2.3.4"})
        EXPECT_FALSE(net::ParseIpv4(bad, address)) << bad;
    // A name the lookup itself turns into an address (the short dotted form): no query leaves.
    address = 0;
    EXPECT_TRUE(net::ResolveHost("127.1", address));
    EXPECT_EQ(address, htonl(0x7F000001));
}

}  // namespace
