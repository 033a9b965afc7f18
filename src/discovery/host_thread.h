// Finds the other copies of the program on the local network and watches every known host through
// a keep-alive connection to its request port.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "core/types.h"
#include "discovery/announcement_gate.h"
#include "net/interfaces.h"
#include "net/socket.h"
#include "util/wake_event.h"

class KeepAliveThread;

// Receives host events. Calls come from the broadcast thread and from the thread that calls
// AddHost / RemoveHost, never from a keep-alive thread, and never while the host lock is held.
class HostListener {
public:
    // A host was added; `name` is the one given to AddHost (empty for hosts found by broadcast).
    // A host found by broadcast is reported once its keep-alive connection stands: a forged
    // announcement never reaches the listener.
    virtual void OnHostAppeared(Ipv4 address, const std::string& name, HostKind kind) = 0;
    // The host's keep-alive connection ended, or the host was removed.
    virtual void OnHostDisappeared(Ipv4 address) = 0;

protected:
    ~HostListener() = default;
};

// Where the host thread meets the network; tests replace the parts that would broadcast.
struct HostThreadOptions {
    // Announcements are sent to and received on this UDP port; 0 binds an ephemeral port.
    std::uint16_t discoveryPort = kDiscoveryPort;
    // Keep-alive connections go to this TCP port of every known host.
    std::uint16_t requestPort = kRequestPort;
    // Local address the receive socket binds to (network order, 0 = any).
    Ipv4 bindAddress = 0;
    // This machine's active IPv4 interfaces. Default: net::EnumInterfaces without loopback and
    // without interfaces that are down.
    std::function<std::vector<net::InterfaceEntry>()> enumerateInterfaces;
    // Sends one announcement (text plus a zero byte) to destination:port. Default:
    // net::SendBroadcast.
    std::function<bool(std::uint16_t port, std::string_view text, Ipv4 destination)> sendBroadcast;
    // Period of announcements and of keep-alive pings.
    int announceIntervalMs = 1000;
    int pingIntervalMs = 1000;
    // How long a keep-alive ping may go unacknowledged before its host is reported gone.
    int silentPeerLimitMs = 6000;
    // Hosts found by broadcast watched at once; 0: as many as a share of the descriptor limit
    // allows, so that hosts added by hand, the share server and downloads keep theirs.
    std::size_t maxDiscoveredHosts = 0;
};

// Descriptors every watched host holds: its keep-alive connection and its thread's wake-up event.
inline constexpr int kDescriptorsPerWatchedHost = 2;

// The datagram every copy announces itself with; the zero byte is appended by the sender.
inline constexpr std::string_view kAnnouncementText = "announce";

class CHostThread {
public:
    // Reads the interface list and starts the broadcast thread. `stop` (may be null) is the shared
    // shutdown flag; the listener may be null.
    CHostThread(HostListener* listener, const StopFlag* stop, HostThreadOptions options = {});
    // Set the shutdown flag and call Wait first; the destructor also ends hosts that were removed
    // but whose keep-alive thread still runs.
    ~CHostThread();
    CHostThread(const CHostThread&) = delete;
    CHostThread& operator=(const CHostThread&) = delete;

    // Re-reads the interface list (after an address change).
    void RefreshInterfaces();

    // Starts watching a host unless its address is known already; reports OnHostAppeared. A host
    // whose keep-alive thread cannot be started is neither added nor reported.
    void AddHost(Ipv4 address, const std::string& name, HostKind kind);
    // Forgets a host (its keep-alive thread ends on its own); reports OnHostDisappeared if it was
    // known.
    void RemoveHost(Ipv4 address);
    // Forgets the hosts whose keep-alive thread has ended and reports each as gone (unless the
    // shutdown flag is set); reports hosts found by broadcast whose connection now stands.
    void CheckThreads();
    // The host answered a request, asked us something other than a keep-alive, or chatted: it is
    // kept before hosts that only announce themselves, and when the table of hosts found by
    // broadcast is full, its next announcement still gets it a place. Any thread.
    void NoteHostBehaved(Ipv4 address);
    // Returns once the broadcast thread and the keep-alive threads of all known hosts have ended;
    // only returns after the shutdown flag has been set.
    void Wait();

    // The receive path of the broadcast thread: one datagram from `sender` (network order).
    // Datagrams from our own addresses and from addresses no host can have are dropped. Public so
    // that datagrams can be fed in without a network.
    void HandleDatagram(Ipv4 sender, std::string_view datagram);

    // Snapshot of the known host addresses, in order of addition.
    std::vector<Ipv4> KnownHosts() const;
    // The UDP port the receive socket is bound to, once bound (0 before or on failure).
    std::uint16_t BoundDiscoveryPort() const;
    // How many hosts found by broadcast may be watched at once.
    std::size_t DiscoveredHostLimit() const { return discoveredLimit_; }

private:
    struct WatchedHost {
        Ipv4 address = 0;
        HostKind kind = HostKind::Discovered;
        std::shared_ptr<KeepAliveThread> ping;
        // Told to the listener (hosts found by broadcast only once connected).
        bool reported = false;
        bool behaved = false;
        std::uint64_t sequence = 0;
        std::int64_t addedMs = 0;
    };

    void BroadcastThreadFunction();
    void AnnounceOnAllInterfaces();
    bool IsOwnOrImpossibleSender(Ipv4 address) const;
    std::vector<net::InterfaceEntry> ReadInterfaces() const;
    std::shared_ptr<KeepAliveThread> StartPingThread(Ipv4 address);
    static std::size_t DiscoveredLimitFor(std::size_t configured);
    // `repeated`: the host announced itself lately already (see AnnouncementGate).
    void AddWatchedHost(Ipv4 address, const std::string& name, HostKind kind, bool repeated);
    // Called with lock_ held: makes room for a host found by broadcast, or says there is none.
    bool MakeRoomForDiscovered(Ipv4 address, bool repeated);
    // Called with lock_ held: how many of the threads of hosts given way still run. Their
    // threads hold descriptors too until they end.
    std::size_t RetiredRunning() const;
    // Called with lock_ held: the host gives up its place; true when it had been reported.
    bool RetireHost(std::vector<WatchedHost>::iterator host);
    void ReportRetired(const std::vector<Ipv4>& addresses);
    void JoinEndedRetiredThreads();
    void StopAllPingThreads();
    void WakeBroadcastThread();
    bool Stopping() const;

    HostListener* listener_;
    const StopFlag* stop_;
    HostThreadOptions options_;

    mutable std::mutex lock_;
    std::vector<net::InterfaceEntry> interfaces_;
    std::vector<WatchedHost> hosts_;
    // Keep-alive threads of removed hosts: no longer reported, joined once they end.
    std::vector<std::shared_ptr<KeepAliveThread>> retired_;

    // Hosts found by broadcast that gave way, to be reported gone by the broadcast thread.
    std::vector<Ipv4> givenWay_;
    std::uint64_t nextSequence_ = 0;
    // Addresses outside the table that behaved (NoteHostBehaved), oldest first, bounded.
    std::vector<Ipv4> behavedStrangers_;
    std::size_t discoveredLimit_ = 0;
    // Touched by the broadcast thread only.
    discovery::AnnouncementGate gate_;

    // Signalled when a keep-alive thread connects or ends, so that its host is reported at once
    // instead of at the next poll slice: Wait blocks on the condition, the broadcast thread polls
    // its own wake-up event beside its socket (null while it does not run).
    std::mutex wakeLock_;
    std::condition_variable wake_;
    util::WakeEvent* broadcastWake_ = nullptr;

    net::UniqueSocket receiver_;
    std::uint16_t boundPort_ = 0;
    StopFlag destroying_{false};
    std::thread broadcastThread_;
};
