#include "discovery/host_thread.h"

#include <algorithm>
#include <chrono>
#include <system_error>

#include "discovery/keep_alive.h"
#include "discovery/udp_receiver.h"
#include "net/connect.h"
#include "util/steady_ms.h"

namespace {

// Longest time Wait goes without looking at the keep-alive threads.
constexpr auto kWaitSlice = std::chrono::milliseconds(50);

std::vector<net::InterfaceEntry> EnumerateActiveInterfaces() {
    std::vector<net::InterfaceEntry> interfaces;
    if (!net::EnumInterfaces(interfaces, /*includeLoopback=*/false, /*includeDown=*/false)) {
        interfaces.clear();
    }
    return interfaces;
}

}  // namespace

CHostThread::CHostThread(HostListener* listener, const StopFlag* stop, HostThreadOptions options)
    : listener_(listener), stop_(stop), options_(std::move(options)) {
    if (!options_.enumerateInterfaces) options_.enumerateInterfaces = EnumerateActiveInterfaces;
    if (!options_.sendBroadcast) options_.sendBroadcast = net::SendBroadcast;
    discoveredLimit_ = DiscoveredLimitFor(options_.maxDiscoveredHosts);
    interfaces_ = ReadInterfaces();
    // Bound here rather than on the broadcast thread so that the port is known once we return.
    // Without a receive socket announcements still go out and hosts added by hand are still
    // watched; only other hosts' announcements go unheard.
    receiver_ = discovery::CreateDatagramReceiver(options_.bindAddress, options_.discoveryPort);
    if (receiver_.valid()) boundPort_ = net::LocalPort(receiver_.get());
    try {
        broadcastThread_ = std::thread([this] { BroadcastThreadFunction(); });
    } catch (const std::system_error&) {
        // Without it nothing is announced or heard; hosts added by hand are still watched.
    }
}

CHostThread::~CHostThread() {
    destroying_.store(true);
    if (broadcastThread_.joinable()) broadcastThread_.join();
    StopAllPingThreads();
    std::vector<WatchedHost> hosts;
    std::vector<std::shared_ptr<KeepAliveThread>> retired;
    {
        std::lock_guard guard(lock_);
        hosts.swap(hosts_);
        retired.swap(retired_);
    }
    // Destroying the keep-alive objects joins their threads, which may still signal us.
    hosts.clear();
    retired.clear();
}

bool CHostThread::Stopping() const {
    return destroying_.load() || IsStopped(stop_);
}

std::vector<net::InterfaceEntry> CHostThread::ReadInterfaces() const {
    return options_.enumerateInterfaces();
}

void CHostThread::RefreshInterfaces() {
    auto interfaces = ReadInterfaces();
    std::lock_guard guard(lock_);
    interfaces_ = std::move(interfaces);
}

std::shared_ptr<KeepAliveThread> CHostThread::StartPingThread(Ipv4 address) {
    KeepAliveOptions keepAlive;
    keepAlive.port = options_.requestPort;
    keepAlive.intervalMs = options_.pingIntervalMs;
    keepAlive.silentPeerLimitMs = options_.silentPeerLimitMs;
    return std::make_shared<KeepAliveThread>(address, keepAlive, stop_,
                                             [this] { WakeBroadcastThread(); });
}

void CHostThread::WakeBroadcastThread() {
    {
        std::lock_guard guard(wakeLock_);
        if (broadcastWake_ != nullptr) broadcastWake_->Signal();
    }
    wake_.notify_all();
}

void CHostThread::AddHost(Ipv4 address, const std::string& name, HostKind kind) {
    AddWatchedHost(address, name, kind, false);
}

void CHostThread::AddWatchedHost(Ipv4 address, const std::string& name, HostKind kind,
                                 bool repeated) {
    std::vector<Ipv4> gaveWay;
    bool reportNow = false;
    {
        std::lock_guard guard(lock_);
        const bool discovered = kind == HostKind::Discovered;
        const auto known = std::find_if(hosts_.begin(), hosts_.end(),
                                        [&](const WatchedHost& h) { return h.address == address; });
        if (known != hosts_.end()) {
            // Named by the user while the connection for its announcement is still under way.
            if (known->reported || discovered) return;
            known->kind = kind;
            known->reported = known->behaved = reportNow = true;
        } else if (!discovered || MakeRoomForDiscovered(address, repeated)) {
            try {
                WatchedHost host{address, kind, StartPingThread(address)};
                // Hosts found by broadcast wait for their connection; the others were named by
                // the user or are this machine.
                host.reported = reportNow = !discovered;
                host.behaved = !discovered || std::erase(behavedStrangers_, address) > 0;
                host.sequence = nextSequence_++;
                host.addedMs = SteadyMilliseconds();
                hosts_.push_back(std::move(host));
            } catch (const std::system_error&) {
                // Out of threads (a flood of forged announcements against a process limit): the
                // host is left out; its next announcement, or the user, adds it again.
            }
        }
        gaveWay.swap(givenWay_);
    }
    ReportRetired(gaveWay);
    if (reportNow && listener_ != nullptr) listener_->OnHostAppeared(address, name, kind);
}

void CHostThread::ReportRetired(const std::vector<Ipv4>& addresses) {
    if (listener_ == nullptr) return;
    for (const Ipv4 address : addresses) listener_->OnHostDisappeared(address);
}

void CHostThread::RemoveHost(Ipv4 address) {
    bool removed = false;
    {
        std::lock_guard guard(lock_);
        const auto it = std::find_if(hosts_.begin(), hosts_.end(),
                                     [&](const WatchedHost& h) { return h.address == address; });
        if (it != hosts_.end()) {
            // The connection runs on until it fails or shutdown begins; it is just no longer
            // reported.
            removed = it->reported;
            retired_.push_back(std::move(it->ping));
            hosts_.erase(it);
        }
    }
    if (removed && listener_ != nullptr) listener_->OnHostDisappeared(address);
}

void CHostThread::JoinEndedRetiredThreads() {
    std::vector<std::shared_ptr<KeepAliveThread>> ended;
    {
        std::lock_guard guard(lock_);
        auto firstEnded = std::stable_partition(retired_.begin(), retired_.end(),
                                                [](const auto& ping) { return !ping->Ended(); });
        std::move(firstEnded, retired_.end(), std::back_inserter(ended));
        retired_.erase(firstEnded, retired_.end());
    }
    for (auto& ping : ended) ping->Join();
}

void CHostThread::CheckThreads() {
    std::vector<std::shared_ptr<KeepAliveThread>> ended;
    std::vector<Ipv4> gone;
    std::vector<Ipv4> connected;
    {
        std::lock_guard guard(lock_);
        for (auto it = hosts_.begin(); it != hosts_.end();) {
            if (it->ping->Ended()) {
                // A host found by broadcast that never connected was never reported.
                if (it->reported) gone.push_back(it->address);
                ended.push_back(std::move(it->ping));
                it = hosts_.erase(it);
                continue;
            }
            if (!it->reported && it->ping->Connected()) {
                it->reported = true;
                connected.push_back(it->address);
            }
            ++it;
        }
        gone.insert(gone.end(), givenWay_.begin(), givenWay_.end());
        givenWay_.clear();
    }
    JoinEndedRetiredThreads();
    for (const auto& ping : ended) ping->Join();
    if (Stopping() || listener_ == nullptr) return;
    for (const Ipv4 address : gone) listener_->OnHostDisappeared(address);
    for (const Ipv4 address : connected) {
        listener_->OnHostAppeared(address, std::string(), HostKind::Discovered);
    }
}

void CHostThread::StopAllPingThreads() {
    std::lock_guard guard(lock_);
    for (auto& host : hosts_) host.ping->RequestStop();
    for (auto& ping : retired_) ping->RequestStop();
}

void CHostThread::Wait() {
    if (broadcastThread_.joinable()) broadcastThread_.join();
    // The network calls of the keep-alive threads watch their own flags; hand the shutdown on.
    StopAllPingThreads();
    for (;;) {
        CheckThreads();
        {
            std::lock_guard guard(lock_);
            if (hosts_.empty()) return;
        }
        std::unique_lock wakeGuard(wakeLock_);
        wake_.wait_for(wakeGuard, kWaitSlice);
    }
}

std::vector<Ipv4> CHostThread::KnownHosts() const {
    std::lock_guard guard(lock_);
    std::vector<Ipv4> addresses;
    addresses.reserve(hosts_.size());
    for (const auto& host : hosts_) addresses.push_back(host.address);
    return addresses;
}

std::uint16_t CHostThread::BoundDiscoveryPort() const {
    return boundPort_;
}
