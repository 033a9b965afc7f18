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

}  // namespace

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
    // Both flags and the keep-alive threads signal this thread's own event, so it sleeps until a
    // datagram, its next announcement, or a host to report.
    util::WakeEvent& ownWake = util::ThisThreadWakeEvent();
    {
        std::lock_guard guard(wakeLock_);
        if (ownWake.valid()) broadcastWake_ = &ownWake;
    }
    const auto wake = [](void* self) { static_cast<CHostThread*>(self)->WakeBroadcastThread(); };
    const StopWaker ownerWaker(stop_, wake, this);
    const StopWaker destructorWaker(&destroying_, wake, this);
    const long long longestSleep = ownWake.valid() ? options_.announceIntervalMs : kStopCheckMs;
    const auto period = std::chrono::milliseconds(options_.announceIntervalMs);
    auto lastAnnouncement = Clock::now();
    std::string datagram;
    while (!Stopping()) {
        const auto untilAnnouncement = std::chrono::duration_cast<std::chrono::milliseconds>(
            lastAnnouncement + period - Clock::now());
        const int timeout =
            static_cast<int>(std::clamp<long long>(untilAnnouncement.count(), 0, longestSleep));

        std::array<pollfd, 2> watched{pollfd{receiver_.get(), POLLIN, 0},
                                      pollfd{ownWake.fd(), POLLIN, 0}};
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
            if ((watched[1].revents & POLLIN) != 0) ownWake.Drain();
        }
        if (Clock::now() - lastAnnouncement >= period) {
            AnnounceOnAllInterfaces();
            lastAnnouncement = Clock::now();
        }
        CheckThreads();
    }
    // The keep-alive threads' network calls only watch their own flags.
    StopAllPingThreads();
    std::lock_guard guard(wakeLock_);
    broadcastWake_ = nullptr;
}
