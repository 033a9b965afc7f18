// Announcements with forged sender addresses. A datagram sent from 0.0.0.0 to the limited
// broadcast address reaches every copy on the segment, and a keep-alive connection to 0.0.0.0
// reaches our own request port: the phantom host would stay listed for as long as we run.
#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>

#include "host_thread_fixture.h"
#include "net/framing.h"

namespace discovery_test {
namespace {

TEST_F(HostThreadTest, AnnouncementsFromAddressesNoHostCanHaveAddNothing) {
    SetInterfaces({Interface("192.168.1.5", "255.255.255.0")});
    auto server = testing_support::ListenOnLoopback();
    Start(Options(server.port));
    for (const char* sender : {"0.0.0.0", "0.1.2.3", "255.255.255.255", "224.0.0.1",
                               "239.255.255.250", "240.0.0.1", "192.168.1.255"}) {
        hosts_->HandleDatagram(Address(sender), std::string_view("announce\0", 9));
    }
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(hosts_->KnownHosts().empty());
    EXPECT_TRUE(Events().empty());
}

// A flood of forged announcements against a process limit runs out of threads; that must cost
// the new hosts, not the program.
TEST_F(HostThreadTest, AHostWhoseKeepAliveThreadCannotStartIsLeftOut) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    SetInterfaces({Interface("192.168.1.5", "255.255.255.0")});
    auto server = testing_support::ListenOnLoopback();
    const auto withoutThreads = [&] {
        Start(Options(server.port));
        // From here on no thread can start: user "nobody" with a process limit of zero.
        const rlimit none{0, 0};
        if (::setrlimit(RLIMIT_NPROC, &none) != 0 || ::setresuid(65534, 65534, 65534) != 0)
            std::_Exit(2);
        hosts_->HandleDatagram(Address("127.0.0.1"), std::string_view("announce\0", 9));
        hosts_->AddHost(Address("127.0.0.2"), "by hand", HostKind::Manual);
        std::_Exit(hosts_->KnownHosts().empty() && Events().empty() ? 0 : 1);
    };
    EXPECT_EXIT(withoutThreads(), ::testing::ExitedWithCode(0), "");
}

// Every forged sender costs a thread that tries to connect for up to a minute; only hosts whose
// keep-alive connection stands have proved that they exist. Here 127.0.0.1 has a listener on the
// request port, the forged senders have none.
TEST_F(HostThreadTest, HostsNotYetConnectedAreBoundedApartFromConnectedOnes) {
    SetInterfaces({Interface("192.168.1.5", "255.255.255.0")});
    auto server = testing_support::ListenOnLoopback();
    Start(Options(server.port));
    hosts_->HandleDatagram(Address("127.0.0.1"), std::string_view("announce\0", 9));
    net::UniqueSocket keepAlive =
        net::AcceptConnection(server.socket.get(), nullptr, nullptr, 5000);
    std::string ping;
    ASSERT_TRUE(net::ReceiveString(keepAlive.get(), ping, nullptr, 64));
    for (int i = 1; i <= 100; ++i) {
        const std::string forged = "127.0.1." + std::to_string(i);
        hosts_->HandleDatagram(Address(forged.c_str()), std::string_view("announce\0", 9));
    }
    // Refused connections take about a second of attempts before their hosts are dropped.
    EXPECT_EQ(hosts_->KnownHosts().size(), 1u + 64u);
}

}  // namespace
}  // namespace discovery_test
