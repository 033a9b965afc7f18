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

#include "discovery/announcement_gate.h"
#include "net/connect.h"
#include "net/framing.h"
#include "support/descriptors.h"
#include "support/loopback.h"
#include "util/descriptor_limit.h"

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
    void Start(std::uint16_t requestPort = 0, std::size_t maxDiscoveredHosts = 0) {
        HostThreadOptions options;
        options.discoveryPort = 0;
        options.bindAddress = testing_support::LoopbackAddress();
        options.requestPort = requestPort != 0 ? requestPort : server_.port;
        options.maxDiscoveredHosts = maxDiscoveredHosts;
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
    bool WaitForEvent(const std::string& event, std::chrono::milliseconds limit = 5s) {
        std::unique_lock guard(mutex_);
        return changed_.wait_for(guard, limit, [&] {
            return std::find(events_.begin(), events_.end(), event) != events_.end();
        });
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
    // Reported once its keep-alive connection stands.
    ASSERT_TRUE(WaitForEvent("+127.0.0.1  1"));
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

// A listener of `address`:`port` (0: any) that shares its port with others; never accepts.
net::UniqueSocket SharedPortListener(Ipv4 address, std::uint16_t port, int backlog) {
    net::UniqueSocket socket = net::CreateTcpSocket();
    const int on = 1;
    ::setsockopt(socket.get(), SOL_SOCKET, SO_REUSEPORT, &on, sizeof on);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = address;
    local.sin_port = htons(port);
    if (::bind(socket.get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0 ||
        ::listen(socket.get(), backlog) != 0) {
        return {};
    }
    return socket;
}

// Every forged sender costs a thread that tries to connect for up to a minute; only hosts whose
// keep-alive connection stands have proved that they exist. Here 127.0.0.1 has a listener on the
// request port; the forged senders reach one that accepts nothing, so their connections hang.
TEST_F(HostThreadTest, HostsNotYetConnectedAreBoundedApartFromConnectedOnes) {
    net::UniqueSocket genuine = SharedPortListener(kLoopback, 0, 16);
    const std::uint16_t port = net::LocalPort(genuine.get());
    net::UniqueSocket tarPit = SharedPortListener(0, port, 0);
    ASSERT_TRUE(genuine.valid() && tarPit.valid());
    Start(port);
    hosts_->HandleDatagram(Address("127.0.0.1"), std::string_view("announce\0", 9));
    net::UniqueSocket keepAlive = net::AcceptConnection(genuine.get(), nullptr, nullptr, 5000);
    std::string ping;
    ASSERT_TRUE(net::ReceiveString(keepAlive.get(), ping, nullptr, 64));
    for (int i = 1; i <= 100; ++i)
        hosts_->HandleDatagram(testing_support::LoopbackHost(256 + i), "announce");
    // The places for hosts not yet connected stay bounded (without the bound all 101 are held);
    // how many of the others fit into the tar pit's queue and count as connected depends on the
    // kernel's timing, so a few more are allowed.
    const std::size_t known = hosts_->KnownHosts().size();
    EXPECT_GT(known, 1u);
    EXPECT_LE(known, 4u + 64u);
}

TEST(AnnouncementGate, AnAddressGetsABurstThenOneAnnouncementPerRefill) {
    discovery::AnnouncementGate gate;
    const Ipv4 flooder = Address("10.1.2.3");
    bool repeated = true;
    EXPECT_TRUE(gate.Admit(flooder, 0, &repeated));
    EXPECT_FALSE(repeated);
    EXPECT_TRUE(gate.Admit(flooder, 1, &repeated));
    EXPECT_TRUE(repeated);
    EXPECT_TRUE(gate.Admit(flooder, 2));
    for (int i = 0; i < 100; ++i) EXPECT_FALSE(gate.Admit(flooder, 3 + i));
    EXPECT_TRUE(gate.Admit(Address("10.1.2.4"), 103));
    EXPECT_TRUE(gate.Admit(flooder, 2 + discovery::AnnouncementGate::kRefillMs));
    EXPECT_FALSE(gate.Admit(flooder, 3 + discovery::AnnouncementGate::kRefillMs));
    // Forged addresses without end fill the table only up to its bound.
    for (std::uint32_t i = 0; i < 3 * discovery::AnnouncementGate::kMaxTracked; ++i)
        gate.Admit(htonl(0x0B000000u + i), 1000 + i / 8);
    EXPECT_LE(gate.TrackedSenders(), discovery::AnnouncementGate::kMaxTracked);
}

// 400 forged announcements a second, each from a new address whose keep-alive connection hangs
// (a listener of every other address that accepts nothing), and the host that exists announcing
// once a second: it is discovered at its second announcement at the latest.
TEST_F(HostThreadTest, AFloodOfForgedAnnouncementsCannotKeepAHostThatExistsOut) {
    net::UniqueSocket genuine = SharedPortListener(kLoopback, 0, 16);
    const std::uint16_t port = net::LocalPort(genuine.get());
    net::UniqueSocket tarPit = SharedPortListener(0, port, 0);
    ASSERT_TRUE(genuine.valid() && tarPit.valid());
    Start(port);
    int tick = 0;
    for (bool found = false; tick < 1200 && !found; ++tick) {
        hosts_->HandleDatagram(testing_support::LoopbackHost(0x10000 + tick), "announce");
        if (tick % 400 == 200) hosts_->HandleDatagram(kLoopback, "announce");
        found = WaitForEvent("+127.0.0.1  1", 0ms);
        std::this_thread::sleep_for(2500us);
    }
    // Its connection takes a moment after its second announcement (tick 600).
    EXPECT_LT(tick, 700);
    // The forged hosts that never connected were never reported.
    EXPECT_LE(Events().size(), 3u);
}

// Every watched host holds its connection and its thread's wake-up event, nothing more. When the
// table of hosts found by broadcast is full, a host that behaved (answered, browsed, chatted) takes
// the place of the oldest one that only announces itself.
TEST_F(HostThreadTest, HostsThatBehaveAreKeptBeforeHostsThatOnlyAnnounce) {
    // A listener of every loopback address that completes connections and never accepts them.
    net::UniqueSocket everybody = SharedPortListener(0, 0, 64);
    const std::uint16_t port = net::LocalPort(everybody.get());
    Start(port, 4);
    const auto host = [](int last) { return testing_support::LoopbackHost(0x100 + last); };
    const auto appeared = [&](int last) { return "+" + net::FormatIpv4(host(last)) + "  1"; };
    const auto gone = [&](int last) { return "-" + net::FormatIpv4(host(last)); };
    hosts_->HandleDatagram(host(1), "announce");
    ASSERT_TRUE(WaitForEvent(appeared(1)));
    const int before = testing_support::OpenDescriptors();
    for (int i = 2; i <= 4; ++i) hosts_->HandleDatagram(host(i), "announce");
    for (int i = 2; i <= 4; ++i) ASSERT_TRUE(WaitForEvent(appeared(i)));
    EXPECT_LE(testing_support::OpenDescriptors() - before, 3 * kDescriptorsPerWatchedHost);

    hosts_->HandleDatagram(host(5), "announce");
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(hosts_->KnownHosts().size(), 4u);
    hosts_->NoteHostBehaved(host(1));
    hosts_->NoteHostBehaved(host(5));
    hosts_->HandleDatagram(host(5), "announce");
    EXPECT_TRUE(WaitForEvent(gone(2), 0ms));
    EXPECT_TRUE(WaitForEvent(appeared(5)));
    std::this_thread::sleep_for(200ms);
    hosts_->NoteHostBehaved(host(6));
    hosts_->HandleDatagram(host(6), "announce");
    EXPECT_TRUE(WaitForEvent(gone(3), 0ms));
    EXPECT_TRUE(WaitForEvent(appeared(6)));
    EXPECT_THAT(hosts_->KnownHosts(), ElementsAre(host(1), host(4), host(5), host(6)));
}

// Discovery leaves most descriptors to the rest of the program.
TEST_F(HostThreadTest, TheTableOfDiscoveredHostsFitsInHalfOfTheDescriptors) {
    Start();
    EXPECT_LE(hosts_->DiscoveredHostLimit() * kDescriptorsPerWatchedHost,
              static_cast<std::size_t>(util::DescriptorLimit() / 2 + 32));
    EXPECT_GE(hosts_->DiscoveredHostLimit(), 16u);
}

}  // namespace
}  // namespace discovery_test
