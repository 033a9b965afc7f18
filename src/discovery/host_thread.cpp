#include "discovery/host_thread.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <system_error>

#include "discovery/keep_alive.h"
#include "discovery/udp_receiver.h"
#include "net/connect.h"
#include "util/wake_event.h"

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
    pingEndedEvent_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
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
    if (pingEndedEvent_ >= 0) ::close(pingEndedEvent_);
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
    return std::make_shared<KeepAliveThread>(address, options_.requestPort, options_.pingIntervalMs,
                                             stop_, [this] { SignalPingEnded(); });
}

void CHostThread::SignalPingEnded() {
    if (pingEndedEvent_ >= 0) util::SignalWakeEvent(pingEndedEvent_);
    { std::lock_guard guard(wakeLock_); }
    wake_.notify_all();
}

void CHostThread::AddHost(Ipv4 address, const std::string& name, HostKind kind) {
    {
        std::lock_guard guard(lock_);
        const bool known = std::any_of(hosts_.begin(), hosts_.end(),
                                       [&](const WatchedHost& h) { return h.address == address; });
        if (known) return;
        try {
            hosts_.push_back(WatchedHost{address, kind, StartPingThread(address)});
        } catch (const std::system_error&) {
            // Out of threads (a flood of forged announcements against a process limit): the host
            // is left out; its next announcement, or the user, adds it again.
            return;
        }
    }
    if (listener_ != nullptr) listener_->OnHostAppeared(address, name, kind);
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
            retired_.push_back(std::move(it->ping));
            hosts_.erase(it);
            removed = true;
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
    {
        std::lock_guard guard(lock_);
        for (auto it = hosts_.begin(); it != hosts_.end();) {
            if (it->ping->Ended()) {
                ended.push_back(std::move(it->ping));
                it = hosts_.erase(it);
            } else {
                ++it;
            }
        }
    }
    JoinEndedRetiredThreads();
    for (const auto& ping : ended) {
        ping->Join();
        if (Stopping()) continue;
        if (listener_ != nullptr) listener_->OnHostDisappeared(ping->Address());
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
