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
#include "net/interfaces.h"
#include "net/socket.h"

class KeepAliveThread;

// Receives host events. Calls come from the broadcast thread and from the thread that calls
// AddHost / RemoveHost, never from a keep-alive thread, and never while the host lock is held.
class HostListener {
public:
    // A host was added; `name` is the one given to AddHost (empty for hosts found by broadcast).
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
};

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
    // shutdown flag is set).
    void CheckThreads();
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

private:
    struct WatchedHost {
        Ipv4 address = 0;
        HostKind kind = HostKind::Discovered;
        std::shared_ptr<KeepAliveThread> ping;
    };

    void BroadcastThreadFunction();
    void AnnounceOnAllInterfaces();
    bool IsOwnOrImpossibleSender(Ipv4 address) const;
    std::vector<net::InterfaceEntry> ReadInterfaces() const;
    std::shared_ptr<KeepAliveThread> StartPingThread(Ipv4 address);
    void JoinEndedRetiredThreads();
    void StopAllPingThreads();
    void SignalPingEnded();
    bool Stopping() const;

    HostListener* listener_;
    const StopFlag* stop_;
    HostThreadOptions options_;

    mutable std::mutex lock_;
    std::vector<net::InterfaceEntry> interfaces_;
    std::vector<WatchedHost> hosts_;
    // Keep-alive threads of removed hosts: no longer reported, joined once they end.
    std::vector<std::shared_ptr<KeepAliveThread>> retired_;

    // Signalled when a keep-alive thread ends, so that its host is reported gone at once instead
    // of at the next poll slice: Wait blocks on the condition, the broadcast thread polls the
    // event descriptor beside its socket.
    std::mutex wakeLock_;
    std::condition_variable wake_;
    int pingEndedEvent_ = -1;

    net::UniqueSocket receiver_;
    std::uint16_t boundPort_ = 0;
    StopFlag destroying_{false};
    std::thread broadcastThread_;
};
