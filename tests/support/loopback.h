// Real TCP connections over 127.0.0.1 for the tests of every network module: a connected socket
// pair, a port that nobody listens on, and raw byte helpers for asserting what went over the wire.
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <thread>

#include "net/connect.h"
#include "net/socket.h"

namespace testing_support {

// 127.0.0.1 in network order.
inline Ipv4 LoopbackAddress() {
    return htonl(INADDR_LOOPBACK);
}

// A listener on 127.0.0.1 with a kernel-chosen port.
struct LoopbackListener {
    net::UniqueSocket socket;
    std::uint16_t port = 0;
};

inline LoopbackListener ListenOnLoopback() {
    LoopbackListener listener;
    listener.socket = net::CreateListener(LoopbackAddress(), 0);
    if (listener.socket.valid()) listener.port = net::LocalPort(listener.socket.get());
    return listener;
}

// 127.0.0.<last>: another loopback address, so that a test can play a second host.
inline Ipv4 LoopbackHost(int last) {
    return htonl(0x7F000000u | static_cast<std::uint32_t>(last));
}

// Shrinks the kernel buffers so that a peer that never reads blocks the sender quickly. Smaller
// than the loopback segment size (64 KiB) would stall the connection on the zero-window probe.
inline void ShrinkBuffers(net::Socket socket) {
    const int size = 128 * 1024;
    ::setsockopt(socket, SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
    ::setsockopt(socket, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
}

// A non-blocking connection from `source` to destination:port; invalid on failure.
inline net::UniqueSocket ConnectFrom(Ipv4 source, std::uint16_t port,
                                     Ipv4 destination = LoopbackAddress(),
                                     bool smallBuffers = false) {
    net::UniqueSocket socket = net::CreateTcpSocket();
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = source;
    if (!socket.valid() ||
        ::bind(socket.get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0)
        return {};
    if (smallBuffers) ShrinkBuffers(socket.get());
    if (!net::SetBlocking(socket.get(), false) ||
        !net::ConnectWithRetry(socket.get(), destination, port, 3, nullptr))
        return {};
    return socket;
}

// Both ends of one TCP connection over loopback, both non-blocking; not valid() on failure.
struct SocketPair {
    net::UniqueSocket client;
    net::UniqueSocket server;
    bool valid() const { return client.valid() && server.valid(); }
};

inline SocketPair MakeLoopbackPair() {
    SocketPair pair;
    LoopbackListener listener = ListenOnLoopback();
    if (listener.socket.valid())
        pair.client = net::ConnectTo(LoopbackAddress(), listener.port, nullptr, 1);
    if (pair.client.valid())
        pair.server = net::AcceptConnection(listener.socket.get(), nullptr, nullptr, 5000);
    return pair;
}

// A loopback port that had a listener a moment ago and now has none: connects are refused.
inline std::uint16_t ClosedLoopbackPort() {
    LoopbackListener listener = ListenOnLoopback();
    return listener.port;  // the listener closes on return
}

// Writes all bytes (waiting while the socket is full); false on error or after `timeoutMs`.
inline bool WriteRaw(net::Socket socket, std::string_view bytes, int timeoutMs = 5000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!bytes.empty()) {
        const ssize_t sent =
            ::send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(sent));
            continue;
        }
        if (sent < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return false;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        pollfd entry{socket, POLLOUT, 0};
        ::poll(&entry, 1, 50);
    }
    return true;
}

// Reads until the peer closes, `limit` bytes arrived or `ms` milliseconds passed, keeping what came
// in `kept` unless it is null; true when the peer closed (or reset) the connection.
inline bool ReadUntilClosed(net::Socket socket, std::string* kept, std::size_t limit, int ms) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    char data[65536];
    for (std::size_t n = 0; n < limit && std::chrono::steady_clock::now() < deadline;) {
        const auto got = ::recv(socket, data, std::min(sizeof data, limit - n), MSG_DONTWAIT);
        if (got == 0 || (got < 0 && errno != EAGAIN && errno != EINTR)) return true;
        if (got > 0 && kept) kept->append(data, static_cast<std::size_t>(got));
        n += got > 0 ? static_cast<std::size_t>(got) : 0;
        pollfd entry{socket, POLLIN, 0};
        if (got < 0) ::poll(&entry, 1, 50);
    }
    return false;
}

inline std::string ReadRaw(net::Socket socket, std::size_t limit = 1 << 20, int timeoutMs = 5000) {
    std::string received;
    ReadUntilClosed(socket, &received, limit, timeoutMs);
    return received;
}

// True when the peer closes within `timeoutMs`; whatever it sent meanwhile is dropped.
inline bool ClosedByPeer(net::Socket socket, int timeoutMs = 5000) {
    return ReadUntilClosed(socket, nullptr, SIZE_MAX, timeoutMs);
}

// Sets `flag` after `milliseconds` on a thread of its own; the caller joins the thread.
inline std::thread RaiseLater(StopFlag& flag, int milliseconds) {
    return std::thread([&flag, milliseconds] {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
        flag = true;
    });
}

}  // namespace testing_support
