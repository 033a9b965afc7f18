// Announcements with forged sender addresses. A datagram sent from 0.0.0.0 to the limited
// broadcast address reaches every copy on the segment, and a keep-alive connection to 0.0.0.0
// reaches our own request port: the phantom host would stay listed for as long as we run.
#include <thread>

#include "host_thread_fixture.h"

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

}  // namespace
}  // namespace discovery_test
