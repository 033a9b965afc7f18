// The broadcast thread of CHostThread: hears announcements, sends our own once a period and
// reaps ended keep-alive threads.
#include <arpa/inet.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>

#include "discovery/host_thread.h"
#include "discovery/keep_alive.h"
#include "discovery/udp_receiver.h"
#include "net/socket.h"
#include "util/trace.h"
#include "util/wake_event.h"

namespace {

using Clock = std::chrono::steady_clock;

// Without a wake-up event: the longest time the thread goes without looking at the shutdown flag.
constexpr int kStopCheckMs = 50;
// Only the start of a datagram is looked at.
constexpr std::size_t kDatagramCapacity = 256;
// Datagrams handled per wake-up, so that a flood cannot hold off our own announcements.
constexpr int kDatagramsPerPass = 64;
// Hosts found by broadcast are bounded: every one costs a thread, and a hostile sender can forge
// any number of source addresses.
constexpr std::size_t kMaxKnownHosts = 1024;
// Far fewer of them may still be trying to connect: a forged sender costs a thread for up to a
// minute (and the user interface a tree entry, jobs and a chat recipient), and only a host that
// accepts the keep-alive connection has proved that it exists.
constexpr std::size_t kMaxUnconfirmedHosts = 64;

}  // namespace

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
    if (IsOwnOrImpossibleSender(sender)) return;
    std::string_view text = datagram.substr(0, std::min(datagram.size(), kDatagramCapacity));
    text = text.substr(0, text.find('\0'));
    if (!text.starts_with(kAnnouncementText)) {
        XUTIL_DIAG_IN("CHostThread::BroadcastThreadFunction", "received unknown broadcast\n");
        return;
    }
    {
        std::lock_guard guard(lock_);
        if (hosts_.size() >= kMaxKnownHosts) return;
        const auto unconfirmed =
            std::count_if(hosts_.begin(), hosts_.end(), [](const WatchedHost& host) {
                return host.kind == HostKind::Discovered && !host.ping->Connected();
            });
        if (static_cast<std::size_t>(unconfirmed) >= kMaxUnconfirmedHosts) return;
    }
    AddHost(sender, std::string(), HostKind::Discovered);
}

void CHostThread::AnnounceOnAllInterfaces() {
    std::vector<net::InterfaceEntry> interfaces;
    {
        std::lock_guard guard(lock_);
        interfaces = interfaces_;
    }
    const std::uint16_t port = options_.discoveryPort != 0 ? options_.discoveryPort : boundPort_;
    for (const auto& entry : interfaces) {
        // A failed send is not retried: the next announcement follows a period later.
        if (entry.address != 0) options_.sendBroadcast(port, kAnnouncementText, entry.broadcast);
    }
}

void CHostThread::BroadcastThreadFunction() {
    // Both flags signal the event that ended keep-alive threads signal, so the thread sleeps until
    // a datagram, its next announcement or something to reap.
    const auto wake = [](void* self) { static_cast<CHostThread*>(self)->SignalPingEnded(); };
    const StopWaker ownerWaker(stop_, wake, this);
    const StopWaker destructorWaker(&destroying_, wake, this);
    const long long longestSleep =
        pingEndedEvent_ >= 0 ? options_.announceIntervalMs : kStopCheckMs;
    const auto period = std::chrono::milliseconds(options_.announceIntervalMs);
    auto lastAnnouncement = Clock::now();
    std::string datagram;
    while (!Stopping()) {
        const auto untilAnnouncement = std::chrono::duration_cast<std::chrono::milliseconds>(
            lastAnnouncement + period - Clock::now());
        const int timeout =
            static_cast<int>(std::clamp<long long>(untilAnnouncement.count(), 0, longestSleep));

        std::array<pollfd, 2> watched{pollfd{receiver_.get(), POLLIN, 0},
                                      pollfd{pingEndedEvent_, POLLIN, 0}};
        if (::poll(watched.data(), watched.size(), timeout) > 0) {
            if ((watched[0].revents & POLLIN) != 0) {
                Ipv4 sender = 0;
                for (int i = 0; i < kDatagramsPerPass && !Stopping(); ++i) {
                    if (!discovery::ReceiveDatagram(receiver_.get(), kDatagramCapacity, datagram,
                                                    sender)) {
                        break;
                    }
                    HandleDatagram(sender, datagram);
                }
            }
            if ((watched[1].revents & POLLIN) != 0) util::DrainWakeEvent(pingEndedEvent_);
        }
        if (Clock::now() - lastAnnouncement >= period) {
            AnnounceOnAllInterfaces();
            lastAnnouncement = Clock::now();
        }
        CheckThreads();
    }
    // The keep-alive threads' network calls only watch their own flags.
    StopAllPingThreads();
}
