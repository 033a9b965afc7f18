// Announcing ourselves, hearing others and keeping known hosts through their keep-alive
// connections (a host's going and return are the end-to-end discovery test's), on loopback with
// injected interfaces and a recording broadcast sender. Events are logged as "+<address> <name>
// <kind>" and "-<address>", announcements as "<text> <port> <destination>".
#include "discovery/host_thread.h"

#include <arpa/inet.h>
#include <gmock/gmock.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "net/connect.h"
#include "net/framing.h"
#include "support/loopback.h"

namespace discovery_test {
namespace {

using namespace std::chrono_literals;
using Lines = std::vector<std::string>;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing_support::ClosedByPeer;

Ipv4 Address(const char* dotted) {
    return ::inet_addr(dotted);
}

net::InterfaceEntry Interface(const char* address, const char* netmask) {
    return {Address(address), Address(netmask), Address(address) | ~Address(netmask)};
}

class HostThreadTest : public ::testing::Test, public HostListener {
protected:
    void OnHostAppeared(Ipv4 address, const std::string& name, HostKind kind) override {
        Log(events_, "+" + net::FormatIpv4(address) + " " + name + " " +
                         std::to_string(static_cast<int>(kind)));
    }
    void OnHostDisappeared(Ipv4 address) override { Log(events_, "-" + net::FormatIpv4(address)); }

    void TearDown() override {
        stop_.store(true);
        if (hosts_) hosts_->Wait();
    }

    // Periods are shortened so that several rounds pass quickly.
    void Start() {
        HostThreadOptions options;
        options.discoveryPort = 0;
        options.bindAddress = testing_support::LoopbackAddress();
        options.requestPort = server_.port;
        options.announceIntervalMs = options.pingIntervalMs = 100;
        options.enumerateInterfaces = [this] {
            std::lock_guard guard(mutex_);
            return interfaces_;
        };
        options.sendBroadcast = [this](std::uint16_t port, std::string_view text, Ipv4 to) {
            Log(sent_, std::string(text) + " " + std::to_string(port) + " " + net::FormatIpv4(to));
            return true;
        };
        hosts_ = std::make_unique<CHostThread>(this, &stop_, std::move(options));
    }
    void SetInterfaces(std::vector<net::InterfaceEntry> interfaces) {
        std::lock_guard guard(mutex_);
        interfaces_ = std::move(interfaces);
    }

    Lines Events() { return Copy(events_); }
    Lines Sent() { return Copy(sent_); }

    net::UniqueSocket AcceptPing() {
        return net::AcceptConnection(server_.socket.get(), nullptr, nullptr, 5000);
    }

    // Stands for the request port of every host: keep-alive connections arrive here.
    testing_support::LoopbackListener server_ = testing_support::ListenOnLoopback();
    StopFlag stop_{false};
    std::unique_ptr<CHostThread> hosts_;

    void Log(Lines& log, std::string line) {
        std::lock_guard guard(mutex_);
        log.push_back(std::move(line));
        changed_.notify_all();
    }
    Lines Copy(const Lines& log) {
        std::lock_guard guard(mutex_);
        return log;
    }
    bool WaitForSent(std::size_t count) {
        std::unique_lock guard(mutex_);
        return changed_.wait_for(guard, 5s, [&] { return sent_.size() >= count; });
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<net::InterfaceEntry> interfaces_;
    Lines events_;
    Lines sent_;
};

const Ipv4 kLoopback = Address("127.0.0.1");

TEST_F(HostThreadTest, AnnouncesEachPeriodToTheBroadcastOfEveryInterfaceWithAnAddress) {
    SetInterfaces({Interface("192.168.1.5", "255.255.255.0"), Interface("10.0.0.7", "255.0.0.0"),
                   net::InterfaceEntry{0, Address("255.255.0.0"), Address("0.0.255.255")}});
    Start();
    ASSERT_TRUE(WaitForSent(4));
    const std::string announce = "announce " + std::to_string(hosts_->BoundDiscoveryPort()) + " ";
    Lines sent = Sent();
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(sent[i], announce + (i % 2 ? "10.255.255.255" : "192.168.1.255")) << i;

    SetInterfaces({Interface("172.16.4.1", "255.255.0.0")});
    hosts_->RefreshInterfaces();
    const std::size_t refreshedAt = Sent().size();
    ASSERT_TRUE(WaitForSent(refreshedAt + 3));
    sent = Sent();
    // At most the round under way still used the old list.
    for (std::size_t i = refreshedAt + 1; i < sent.size(); ++i)
        EXPECT_EQ(sent[i], announce + "172.16.255.255");
}

TEST_F(HostThreadTest, OnlyAnnouncementsFromOtherPossibleAddressesAddAHostAndOnlyOnce) {
    SetInterfaces({Interface("127.0.0.5", "255.0.0.0"), Interface("192.168.1.5", "255.255.255.0")});
    Start();
    // Our own address, then forged senders: a keep-alive connection to 0.0.0.0 would reach our own
    // request port, and the phantom host would stay listed for as long as we run.
    for (const char* sender : {"127.0.0.5", "0.0.0.0", "0.1.2.3", "255.255.255.255", "224.0.0.1",
                               "239.255.255.250", "240.0.0.1", "192.168.1.255"})
        hosts_->HandleDatagram(Address(sender), std::string_view("announce\0", 9));
    for (const std::string& text : {std::string("announc"), std::string("hello announce"),
                                    std::string("\0announce", 9), std::string("ANNOUNCE")})
        hosts_->HandleDatagram(kLoopback, text);
    std::this_thread::sleep_for(300ms);
    EXPECT_THAT(Events(), IsEmpty());
    EXPECT_THAT(hosts_->KnownHosts(), IsEmpty());
    // Whatever follows the word does not matter; repeats and later additions change nothing.
    for (int i = 0; i < 3; ++i)
        hosts_->HandleDatagram(kLoopback, std::string("announce-v2\0x", 13));
    hosts_->AddHost(kLoopback, "by hand", HostKind::Manual);
    EXPECT_THAT(Events(), ElementsAre("+127.0.0.1  1"));
    EXPECT_THAT(hosts_->KnownHosts(), ElementsAre(kLoopback));
}

// Destroyed without the shutdown flag, which every other test's teardown raises.
TEST_F(HostThreadTest, ARemovedHostIsReportedAtOnceAndItsConnectionEndsWithTheThread) {
    Start();
    hosts_->AddHost(kLoopback, "me", HostKind::LocalHost);
    net::UniqueSocket removed = AcceptPing();
    ASSERT_TRUE(removed.valid());
    hosts_->RemoveHost(kLoopback);
    EXPECT_THAT(Events(), ElementsAre("+127.0.0.1 me 0", "-127.0.0.1"));
    hosts_->AddHost(kLoopback, "again", HostKind::Manual);
    net::UniqueSocket watched = AcceptPing();
    ASSERT_TRUE(watched.valid());
    hosts_.reset();
    // Both connections, the removed one too, are closed, and nothing more is reported.
    EXPECT_TRUE(ClosedByPeer(removed.get(), 2000));
    EXPECT_TRUE(ClosedByPeer(watched.get(), 2000));
    EXPECT_EQ(Events(), (Lines{"+127.0.0.1 me 0", "-127.0.0.1", "+127.0.0.1 again 2"}));
}

// Every forged sender costs a thread that tries to connect for up to a minute; only hosts whose
// keep-alive connection stands have proved that they exist. Here 127.0.0.1 has a listener on the
// request port, the forged senders have none.
TEST_F(HostThreadTest, HostsNotYetConnectedAreBoundedApartFromConnectedOnes) {
    Start();
    hosts_->HandleDatagram(Address("127.0.0.1"), std::string_view("announce\0", 9));
    net::UniqueSocket keepAlive = AcceptPing();
    std::string ping;
    ASSERT_TRUE(net::ReceiveString(keepAlive.get(), ping, nullptr, 64));
    for (int i = 1; i <= 100; ++i)
        hosts_->HandleDatagram(testing_support::LoopbackHost(256 + i), "announce");
    // Refused connections take about a second of attempts before their hosts are dropped.
    EXPECT_EQ(hosts_->KnownHosts().size(), 1u + 64u);
}

}  // namespace
}  // namespace discovery_test
