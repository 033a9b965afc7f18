#include "net/interfaces.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sched.h>

#include <cstdlib>
#include <string>
#include <thread>

#include "net/connect.h"

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

// Runs on a thread of its own inside a fresh network namespace, which vanishes with the thread
// together with every interface made in it; the shell commands inherit the namespace. Directed
// broadcasts are the end-to-end discovery test's.
TEST(PrivateNetwork, AddressChangesAndTheInterfaceList) {
    bool entered = false;
    bool checked = false;
    std::thread worker([&] {
        if (::unshare(CLONE_NEWNET) != 0) return;
        entered = true;
        net::AddressChangeWatcher watcher;
        ASSERT_TRUE(watcher.Arm());
        // Both ends of one veth pair up in 10.99.0.0/22, the end of a second pair left down.
        for (const char* command :
             {"ip link add wdra type veth peer name wdrb",
              "ip link add wdrc type veth peer name wdrd", "ip addr add 10.99.1.5/22 dev wdra",
              "ip addr add 10.99.1.6/22 dev wdrb", "ip addr add 192.168.9.9/24 dev wdrc",
              "ip link set wdra up", "ip link set wdrb up"}) {
            if (std::system((std::string(command) + " 2>/dev/null").c_str()) != 0) return;
        }
        pollfd watched{watcher.Descriptor(), POLLIN, 0};
        ASSERT_EQ(::poll(&watched, 1, 5000), 1);
        EXPECT_TRUE(watcher.CheckChanged());
        EXPECT_FALSE(watcher.CheckChanged());

        std::vector<net::InterfaceEntry> entries;
        ASSERT_TRUE(net::EnumInterfaces(entries, false, false));
        const auto* up = Find(entries, "10.99.1.5");
        ASSERT_NE(up, nullptr);
        EXPECT_EQ(net::FormatIpv4(up->netmask), "255.255.252.0");
        EXPECT_EQ(net::FormatIpv4(up->broadcast), "10.99.3.255");
        EXPECT_EQ(Find(entries, "192.168.9.9"), nullptr);
        ASSERT_TRUE(net::EnumInterfaces(entries, false, true));
        EXPECT_NE(Find(entries, "192.168.9.9"), nullptr);
        checked = true;
    });
    worker.join();
    if (!entered) GTEST_SKIP() << "no network namespaces here";
    EXPECT_TRUE(checked) << "could not set up the veth pairs";
}

}  // namespace
