#include "discovery/keep_alive.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <system_error>

#include "net/connect.h"
#include "net/framing.h"
#include "net/socket.h"
#include "util/wake_event.h"

namespace {

// How often an idle thread looks at the shutdown flag when it has no wake-up event. With one it
// sleeps until its next ping: the host thread passes shutdown on through RequestStop.
constexpr int kStopCheckWithoutEventMs = 50;
constexpr int kConnectAttempts = 10;
constexpr std::string_view kPingRequest = "ping";

}  // namespace

KeepAliveThread::KeepAliveThread(Ipv4 address, std::uint16_t port, int intervalMs,
                                 const StopFlag* shutdown, std::function<void()> onEnded)
    : address_(address),
      port_(port),
      intervalMs_(intervalMs),
      shutdown_(shutdown),
      onEnded_(std::move(onEnded)),
      wakeEvent_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
    try {
        thread_ = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
        if (wakeEvent_ >= 0) ::close(wakeEvent_);
        throw;
    }
}

KeepAliveThread::~KeepAliveThread() {
    RequestStop();
    Join();
    if (wakeEvent_ >= 0) ::close(wakeEvent_);
}

void KeepAliveThread::RequestStop() {
    ownStop_.store(true);
    if (wakeEvent_ >= 0) util::SignalWakeEvent(wakeEvent_);
}

void KeepAliveThread::Join() {
    if (thread_.joinable()) thread_.join();
}

bool KeepAliveThread::Stopping() const {
    return ownStop_.load() || IsStopped(shutdown_);
}

bool KeepAliveThread::IdleUntil(std::chrono::steady_clock::time_point deadline, int socket) const {
    using namespace std::chrono;
    // Only hang-up events are asked for: the host never sends anything on this connection, and
    // whatever it might send is not read, so a closed peer is noticed without waiting for the
    // next ping to fail.
    // The wake-up event is never read, so once signalled it stays readable.
    std::array<pollfd, 2> watched{pollfd{socket, POLLRDHUP, 0}, pollfd{wakeEvent_, POLLIN, 0}};
    const long longestSleep = wakeEvent_ >= 0 ? intervalMs_ : kStopCheckWithoutEventMs;
    while (!Stopping()) {
        const auto left = duration_cast<milliseconds>(deadline - steady_clock::now()).count();
        if (left <= 0) return true;
        const int timeout = static_cast<int>(std::min<long long>(left, longestSleep));
        if (::poll(watched.data(), watched.size(), timeout) > 0 &&
            (watched[0].revents & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL)) != 0) {
            return false;
        }
    }
    return true;
}

void KeepAliveThread::Run() {
    net::UniqueSocket socket;
    if (!Stopping()) socket = net::ConnectTo(address_, port_, &ownStop_, kConnectAttempts);
    bool alive = socket.valid();
    connected_.store(alive);
    while (alive && !Stopping()) {
        const auto sentAt = std::chrono::steady_clock::now();
        alive = net::SendString(socket.get(), kPingRequest, &ownStop_) &&
                IdleUntil(sentAt + std::chrono::milliseconds(intervalMs_), socket.get());
    }
    socket.reset();
    ended_.store(true);
    if (onEnded_) onEnded_();
}
