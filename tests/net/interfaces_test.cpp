#include "net/interfaces.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sched.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

#include "net/connect.h"
#include "net/socket.h"

namespace {

const net::InterfaceEntry* Find(const std::vector<net::InterfaceEntry>& entries,
                                const char* address) {
    Ipv4 wanted = 0;
    net::ParseIpv4(address, wanted);
    for (const auto& entry : entries) {
        if (entry.address == wanted) return &entry;
    }
    return nullptr;
}

bool Lists(const std::vector<net::InterfaceEntry>& entries, const char* address) {
    return Find(entries, address) != nullptr;
}

// Runs `body` on a thread of its own inside a fresh network namespace, which vanishes with the
// thread together with every interface made in it. Commands run through the shell inherit it.
// Returns false when namespaces are not available here.
bool InPrivateNetwork(const std::function<void()>& body) {
    bool entered = false;
    std::thread worker([&] {
        if (::unshare(CLONE_NEWNET) != 0) return;
        entered = true;
        body();
    });
    worker.join();
    return entered;
}

bool RunCommand(const std::string& command) {
    return std::system((command + " 2>/dev/null").c_str()) == 0;
}

TEST(EnumInterfaces, LoopbackOnlyWhenAskedFor) {
    std::vector<net::InterfaceEntry> entries;
    ASSERT_TRUE(net::EnumInterfaces(entries, false, false));
    EXPECT_FALSE(Lists(entries, "127.0.0.1"));
    for (const auto& entry : entries) EXPECT_NE(ntohl(entry.address) >> 24, 127u);
    ASSERT_TRUE(net::EnumInterfaces(entries, true, false));
    const auto* loopback = Find(entries, "127.0.0.1");
    ASSERT_NE(loopback, nullptr);
    EXPECT_EQ(net::FormatIpv4(loopback->netmask), "255.0.0.0");
    EXPECT_EQ(net::FormatIpv4(loopback->broadcast), "127.255.255.255");
}

TEST(EnumInterfaces, DirectedBroadcastAndDownInterfacesInAPrivateNetwork) {
    bool checked = false;
    const bool entered = InPrivateNetwork([&] {
        if (!RunCommand("ip link add wdr0 type veth peer name wdr1") ||
            !RunCommand("ip addr add 10.77.1.5/22 dev wdr0") ||
            !RunCommand("ip addr add 192.168.9.9/24 dev wdr1") ||
            !RunCommand("ip link set wdr0 up")) {
            return;
        }
        std::vector<net::InterfaceEntry> entries;
        ASSERT_TRUE(net::EnumInterfaces(entries, false, false));
        const auto* up = Find(entries, "10.77.1.5");
        ASSERT_NE(up, nullptr);
        EXPECT_EQ(net::FormatIpv4(up->netmask), "255.255.252.0");
        EXPECT_EQ(net::FormatIpv4(up->broadcast), "10.77.3.255");
        EXPECT_FALSE(Lists(entries, "192.168.9.9"));  // wdr1 is down
        ASSERT_TRUE(net::EnumInterfaces(entries, false, true));
        EXPECT_TRUE(Lists(entries, "192.168.9.9"));
        checked = true;
    });
    if (!entered) GTEST_SKIP() << "no network namespaces here";
    EXPECT_TRUE(checked) << "could not set up a veth pair";
}

TEST(AddressChangeWatcher, ReportsAnAddedAddressOnce) {
    bool checked = false;
    const bool entered = InPrivateNetwork([&] {
        net::AddressChangeWatcher watcher;
        ASSERT_TRUE(watcher.Arm());
        EXPECT_FALSE(watcher.CheckChanged());
        if (!RunCommand("ip link add wdr0 type veth peer name wdr1") ||
            !RunCommand("ip addr add 10.88.0.1/24 dev wdr0")) {
            return;
        }
        pollfd entry{watcher.Descriptor(), POLLIN, 0};
        ASSERT_EQ(::poll(&entry, 1, 5000), 1);
        EXPECT_TRUE(watcher.CheckChanged());
        EXPECT_FALSE(watcher.CheckChanged());
        ASSERT_TRUE(watcher.Arm());
        ASSERT_TRUE(RunCommand("ip addr del 10.88.0.1/24 dev wdr0"));
        ASSERT_EQ(::poll(&entry, 1, 5000), 1);
        EXPECT_TRUE(watcher.CheckChanged());
        checked = true;
    });
    if (!entered) GTEST_SKIP() << "no network namespaces here";
    EXPECT_TRUE(checked) << "could not set up a veth pair";
}

TEST(SendBroadcast, ReachesTheDirectedBroadcastAddressInAPrivateNetwork) {
    bool checked = false;
    const bool entered = InPrivateNetwork([&] {
        if (!RunCommand("ip link add wdra type veth peer name wdrb") ||
            !RunCommand("ip addr add 10.99.0.1/24 dev wdra") ||
            !RunCommand("ip addr add 10.99.0.2/24 dev wdrb") ||
            !RunCommand("ip link set wdra up") || !RunCommand("ip link set wdrb up")) {
            return;
        }
        net::UniqueSocket receiver(::socket(AF_INET, SOCK_DGRAM, 0));
        const int on = 1;
        ::setsockopt(receiver.get(), SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
        sockaddr_in local{};
        local.sin_family = AF_INET;  // any address: broadcasts are delivered to it
        ASSERT_EQ(::bind(receiver.get(), reinterpret_cast<sockaddr*>(&local), sizeof local), 0);
        const std::uint16_t port = net::LocalPort(receiver.get());
        Ipv4 broadcast = 0;
        ASSERT_TRUE(net::ParseIpv4("10.99.0.255", broadcast));
        ASSERT_TRUE(net::SendBroadcast(port, "announce", broadcast));
        pollfd entry{receiver.get(), POLLIN, 0};
        ASSERT_EQ(::poll(&entry, 1, 5000), 1);
        char buffer[64] = {};
        const ssize_t got = ::recv(receiver.get(), buffer, sizeof buffer, 0);
        EXPECT_EQ(std::string(buffer, got > 0 ? static_cast<std::size_t>(got) : 0),
                  std::string("announce\0", 9));
        checked = true;
    });
    if (!entered) GTEST_SKIP() << "no network namespaces here";
    EXPECT_TRUE(checked) << "could not set up a veth pair";
}

}  // namespace
