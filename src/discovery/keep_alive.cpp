#include "discovery/keep_alive.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <chrono>
#include <system_error>

#include "net/connect.h"
#include "net/framing.h"
#include "net/readiness.h"
#include "net/socket.h"

namespace {

constexpr int kConnectAttempts = 10;
constexpr std::string_view kPingRequest = "ping";

void LimitUnacknowledgedTime(int socket, int milliseconds) {
    if (milliseconds <= 0) return;
    const unsigned limit = static_cast<unsigned>(milliseconds);
    ::setsockopt(socket, IPPROTO_TCP, TCP_USER_TIMEOUT, &limit, sizeof limit);
}

}  // namespace

KeepAliveThread::KeepAliveThread(Ipv4 address, KeepAliveOptions options, const StopFlag* shutdown,
                                 std::function<void()> onChange)
    : address_(address),
      options_(options),
      onChange_(std::move(onChange)),
      shutdown_(shutdown),
      shutdownRelay_(shutdown, ownStop_),
      thread_([this] { Run(); }) {}

KeepAliveThread::~KeepAliveThread() {
    RequestStop();
    Join();
}

void KeepAliveThread::RequestStop() {
    ownStop_.store(true);
}

void KeepAliveThread::Join() {
    if (thread_.joinable()) thread_.join();
}

bool KeepAliveThread::Stopping() const {
    // The relay only hands on a shutdown that begins after it was registered.
    return ownStop_.load() || IsStopped(shutdown_);
}

bool KeepAliveThread::IdleUntil(std::chrono::steady_clock::time_point deadline, int socket) const {
    using namespace std::chrono;
    // Only hang-up events are asked for: the host never sends anything on this connection, and
    // whatever it might send is not read. A closed peer, or one silent past the user timeout,
    // is noticed without waiting for the next ping to fail.
    while (!Stopping()) {
        const auto left = duration_cast<milliseconds>(deadline - steady_clock::now()).count();
        if (left <= 0) return true;
        switch (net::detail::WaitForSocket(socket, POLLRDHUP, &ownStop_, static_cast<int>(left))) {
            case net::detail::Readiness::Ready:
            case net::detail::Readiness::Failed:
                return false;
            case net::detail::Readiness::Stopped:
            case net::detail::Readiness::TimedOut:
                break;
        }
    }
    return true;
}

void KeepAliveThread::Run() {
    net::UniqueSocket socket;
    if (!Stopping()) socket = net::ConnectTo(address_, options_.port, &ownStop_, kConnectAttempts);
    bool alive = socket.valid();
    if (alive) {
        LimitUnacknowledgedTime(socket.get(), options_.silentPeerLimitMs);
        connected_.store(true);
        if (onChange_) onChange_();
    }
    while (alive && !Stopping()) {
        const auto sentAt = std::chrono::steady_clock::now();
        alive = net::SendString(socket.get(), kPingRequest, &ownStop_) &&
                IdleUntil(sentAt + std::chrono::milliseconds(options_.intervalMs), socket.get());
    }
    socket.reset();
    ended_.store(true);
    if (onChange_) onChange_();
}
