// Which announcing hosts get a place in the host table. Every place costs a thread and
// descriptors, and a hostile sender can forge any number of source addresses: places are bounded,
// hosts that have not proved themselves give way, and hosts that behave are kept.
#include <arpa/inet.h>

#include <algorithm>

#include "discovery/host_thread.h"
#include "discovery/keep_alive.h"
#include "util/descriptor_limit.h"
#include "util/steady_ms.h"
#include "util/trace.h"

namespace {

// Hosts found by broadcast never exceed this, whatever the descriptor limit.
constexpr std::size_t kMaxDiscoveredHosts = 1024;
constexpr std::size_t kMinDiscoveredHosts = 16;
// Far fewer of them may still be trying to connect: a forged sender costs a thread for up to a
// minute, and only a host that accepts the keep-alive connection has proved that it exists.
constexpr std::size_t kMaxUnconfirmedHosts = 64;
// A host on the LAN connects within milliseconds; one still trying after this gives way to a
// newcomer when the places above are full, so a flood of forged senders cannot keep out a host
// that exists. The wait also bounds how many threads a flood makes us start per second. A sender
// heard lately (a copy announces once a second; a forged flood's addresses mostly come once)
// does not wait for it, and its rate is bounded by the announcement gate.
constexpr std::int64_t kUnconfirmedGraceMs = 250;
// Addresses that behaved before they had a place, remembered until their next announcement.
constexpr std::size_t kMaxBehavedStrangers = 64;

template <typename Hosts, typename Pick>
auto OldestWhere(Hosts& hosts, Pick pick) {
    auto oldest = hosts.end();
    for (auto it = hosts.begin(); it != hosts.end(); ++it) {
        if (pick(*it) && (oldest == hosts.end() || it->sequence < oldest->sequence)) oldest = it;
    }
    return oldest;
}

}  // namespace

std::size_t CHostThread::DiscoveredLimitFor(std::size_t configured) {
    if (configured != 0) return std::min(configured, kMaxDiscoveredHosts);
    // Half of the descriptors at most: the rest stays for hosts added by hand, the share
    // server's connections, downloads and chat.
    const auto share =
        static_cast<std::size_t>(util::DescriptorLimit() / 2 / kDescriptorsPerWatchedHost);
    return std::clamp(share, kMinDiscoveredHosts, kMaxDiscoveredHosts);
}

// Our own addresses, and addresses no other host can have although a datagram may carry them as
// its source: "this network" (0.0.0.0/8; the kernel accepts 0.0.0.0 as the source of a limited
// broadcast, and a keep-alive connection to it would reach our own request port), multicast and
// reserved addresses up to the limited broadcast, and the directed broadcasts of our networks.
bool CHostThread::IsOwnOrImpossibleSender(Ipv4 address) const {
    const std::uint32_t firstOctet = ntohl(address) >> 24;
    if (firstOctet == 0 || firstOctet >= 224) return true;
    std::lock_guard guard(lock_);
    return std::any_of(interfaces_.begin(), interfaces_.end(),
                       [&](const net::InterfaceEntry& entry) {
                           return entry.address == address || entry.broadcast == address;
                       });
}

void CHostThread::HandleDatagram(Ipv4 sender, std::string_view datagram) {
    constexpr std::size_t kLookedAt = 256;
    if (IsOwnOrImpossibleSender(sender)) return;
    std::string_view text = datagram.substr(0, std::min(datagram.size(), kLookedAt));
    text = text.substr(0, text.find('\0'));
    if (!text.starts_with(kAnnouncementText)) {
        XUTIL_DIAG_IN("CHostThread::BroadcastThreadFunction", "received unknown broadcast\n");
        return;
    }
    bool repeated = false;
    {
        std::lock_guard guard(lock_);
        if (!gate_.Admit(sender, SteadyMilliseconds(), &repeated)) return;
    }
    AddWatchedHost(sender, std::string(), HostKind::Discovered, repeated);
}

bool CHostThread::RetireHost(std::vector<WatchedHost>::iterator host) {
    const bool reported = host->reported;
    // Its connection may be half-way: it ends now rather than after its attempts.
    host->ping->RequestStop();
    retired_.push_back(std::move(host->ping));
    hosts_.erase(host);
    return reported;
}

std::size_t CHostThread::RetiredRunning() const {
    return static_cast<std::size_t>(std::count_if(retired_.begin(), retired_.end(),
                                                  [](const auto& ping) { return !ping->Ended(); }));
}

bool CHostThread::MakeRoomForDiscovered(Ipv4 address, bool repeated) {
    const std::int64_t now = SteadyMilliseconds();
    const auto isDiscovered = [](const WatchedHost& host) {
        return host.kind == HostKind::Discovered;
    };
    const auto isUnconfirmed = [&](const WatchedHost& host) {
        return isDiscovered(host) && !host.ping->Connected();
    };
    const bool behaved = std::find(behavedStrangers_.begin(), behavedStrangers_.end(), address) !=
                         behavedStrangers_.end();

    if (static_cast<std::size_t>(std::count_if(hosts_.begin(), hosts_.end(), isUnconfirmed)) >=
        kMaxUnconfirmedHosts) {
        const auto oldest = OldestWhere(hosts_, isUnconfirmed);
        if (!repeated && now - oldest->addedMs < kUnconfirmedGraceMs) return false;
        RetireHost(oldest);
    }
    // Threads of hosts that gave way still hold their descriptors until they notice.
    const std::size_t taken =
        static_cast<std::size_t>(std::count_if(hosts_.begin(), hosts_.end(), isDiscovered)) +
        RetiredRunning();
    if (taken < discoveredLimit_) return true;
    // Full: only a host that behaved takes the place of one that only announces itself.
    if (!behaved) return false;
    auto victim = OldestWhere(hosts_, isUnconfirmed);
    if (victim == hosts_.end()) {
        victim = OldestWhere(hosts_,
                             [&](const WatchedHost& h) { return isDiscovered(h) && !h.behaved; });
    }
    if (victim == hosts_.end()) return false;
    const Ipv4 victimAddress = victim->address;
    if (RetireHost(victim)) givenWay_.push_back(victimAddress);
    return true;
}

void CHostThread::NoteHostBehaved(Ipv4 address) {
    std::lock_guard guard(lock_);
    const auto known = std::find_if(hosts_.begin(), hosts_.end(),
                                    [&](const WatchedHost& h) { return h.address == address; });
    if (known != hosts_.end()) {
        known->behaved = true;
        return;
    }
    if (std::find(behavedStrangers_.begin(), behavedStrangers_.end(), address) !=
        behavedStrangers_.end()) {
        return;
    }
    if (behavedStrangers_.size() >= kMaxBehavedStrangers)
        behavedStrangers_.erase(behavedStrangers_.begin());
    behavedStrangers_.push_back(address);
}
