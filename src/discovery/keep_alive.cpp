#include "discovery/keep_alive.h"

#include <poll.h>

#include <algorithm>
#include <chrono>

#include "net/connect.h"
#include "net/framing.h"
#include "net/socket.h"

namespace {

// Upper bound on how long the thread goes without looking at its stop flags.
constexpr int kStopCheckMs = 50;
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
      thread_([this] { Run(); }) {}

KeepAliveThread::~KeepAliveThread() {
    RequestStop();
    Join();
}

void KeepAliveThread::Join() {
    if (thread_.joinable()) thread_.join();
}

bool KeepAliveThread::Stopping() const {
    return ownStop_.load() || (shutdown_ != nullptr && shutdown_->load());
}

bool KeepAliveThread::IdleUntil(std::chrono::steady_clock::time_point deadline, int socket) const {
    using namespace std::chrono;
    // Only hang-up events are asked for: the host never sends anything on this connection, and
    // whatever it might send is not read, so a closed peer is noticed without waiting for the
    // next ping to fail.
    pollfd entry{socket, POLLRDHUP, 0};
    while (!Stopping()) {
        const auto left = duration_cast<milliseconds>(deadline - steady_clock::now()).count();
        if (left <= 0) return true;
        entry.revents = 0;
        const int slice = static_cast<int>(std::min<long long>(left, kStopCheckMs));
        if (::poll(&entry, 1, slice) > 0 &&
            (entry.revents & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL)) != 0) {
            return false;
        }
    }
    return true;
}

void KeepAliveThread::Run() {
    net::UniqueSocket socket;
    if (!Stopping()) socket = net::ConnectTo(address_, port_, &ownStop_, kConnectAttempts);
    bool alive = socket.valid();
    while (alive && !Stopping()) {
        const auto sentAt = std::chrono::steady_clock::now();
        alive = net::SendString(socket.get(), kPingRequest, &ownStop_) &&
                IdleUntil(sentAt + std::chrono::milliseconds(intervalMs_), socket.get());
    }
    socket.reset();
    ended_.store(true);
    if (onEnded_) onEnded_();
}
