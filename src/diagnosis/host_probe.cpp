#include "diagnosis/host_probe.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "net/connect.h"
#include "net/framing.h"
#include "net/socket.h"

namespace diagnosis {

namespace {

constexpr int kStopCheckMs = 100;

int MillisecondsLeft(std::chrono::steady_clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now())
                          .count();
    return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, kStopCheckMs));
}

PortAnswer AnswerFromError(int error) {
    switch (error) {
        case ECONNREFUSED:
            return PortAnswer::Refused;
        case EHOSTUNREACH:
        case EHOSTDOWN:
            return PortAnswer::Unreachable;
        case ENETUNREACH:
            return PortAnswer::NoRoute;
        default:
            return PortAnswer::TimedOut;
    }
}

// Connects within the deadline; the socket stays non-blocking.
PortAnswer Connect(net::UniqueSocket& socket, Ipv4 address, std::uint16_t port,
                   std::chrono::steady_clock::time_point deadline, const StopFlag* stop) {
    socket = net::CreateTcpSocket();
    if (!socket.valid() || !net::SetBlocking(socket.get(), false)) return PortAnswer::TimedOut;
    sockaddr_in remote{};
    remote.sin_family = AF_INET;
    remote.sin_addr.s_addr = address;
    remote.sin_port = htons(port);
    if (::connect(socket.get(), reinterpret_cast<const sockaddr*>(&remote), sizeof remote) == 0) {
        return PortAnswer::Answered;
    }
    if (errno != EINPROGRESS) return AnswerFromError(errno);
    while (!IsStopped(stop)) {
        const int wait = MillisecondsLeft(deadline);
        if (wait == 0) return PortAnswer::TimedOut;
        pollfd watched{socket.get(), POLLOUT, 0};
        if (::poll(&watched, 1, wait) <= 0) continue;
        int error = 0;
        socklen_t length = sizeof error;
        ::getsockopt(socket.get(), SOL_SOCKET, SO_ERROR, &error, &length);
        return error == 0 ? PortAnswer::Answered : AnswerFromError(error);
    }
    return PortAnswer::TimedOut;
}

// Reads one framed reply ("<length>:<payload>") of at most maxLength bytes before the deadline.
std::optional<std::string> ReceiveFramed(int socket, std::size_t maxLength,
                                         std::chrono::steady_clock::time_point deadline,
                                         const StopFlag* stop) {
    std::string header;
    std::string payload;
    std::uint64_t length = 0;
    bool inPayload = false;
    char buffer[4096];
    while (!IsStopped(stop)) {
        const int wait = MillisecondsLeft(deadline);
        if (wait == 0) return std::nullopt;
        pollfd watched{socket, POLLIN, 0};
        if (::poll(&watched, 1, wait) <= 0) continue;
        // The header is read a byte at a time so that nothing of the payload is read early.
        const std::size_t want =
            inPayload ? std::min<std::size_t>(sizeof buffer, length - payload.size()) : 1;
        const ssize_t got = ::recv(socket, buffer, want, 0);
        if (got <= 0) return std::nullopt;
        if (!inPayload) {
            if (buffer[0] != ':') {
                header += buffer[0];
                if (header.size() > 63) return std::nullopt;
                continue;
            }
            if (!net::ParseLengthHeader(header, length) || length > maxLength) return std::nullopt;
            inPayload = true;
        } else {
            payload.append(buffer, static_cast<std::size_t>(got));
        }
        if (inPayload && payload.size() == length) return payload;
    }
    return std::nullopt;
}

}  // namespace

const char* PortAnswerText(PortAnswer answer) {
    switch (answer) {
        case PortAnswer::Answered:
            return "answers";
        case PortAnswer::Refused:
            return "refused";
        case PortAnswer::TimedOut:
            return "no answer";
        case PortAnswer::Unreachable:
            return "host unreachable";
        case PortAnswer::NoRoute:
            return "no route";
    }
    return "";
}

PortAnswer ProbeTcpPort(Ipv4 address, std::uint16_t port, std::chrono::milliseconds timeout,
                        const StopFlag* stop) {
    net::UniqueSocket socket;
    return Connect(socket, address, port, std::chrono::steady_clock::now() + timeout, stop);
}

HostInfoProbe AskHostInfo(Ipv4 address, std::uint16_t port, std::chrono::milliseconds timeout,
                          const StopFlag* stop) {
    HostInfoProbe probe;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    net::UniqueSocket socket;
    probe.answer = Connect(socket, address, port, deadline, stop);
    if (probe.answer != PortAnswer::Answered) return probe;
    const std::string request = net::LengthHeader(13) + "gethostinfoex";
    if (::send(socket.get(), request.data(), request.size(), MSG_NOSIGNAL) !=
        static_cast<ssize_t>(request.size())) {
        return probe;
    }
    if (auto reply = ReceiveFramed(socket.get(), net::kMaxHostInfoLength, deadline, stop)) {
        probe.info = proto::ParseHostInfo(*reply, true);
    }
    return probe;
}

RouteFacts FindRoute(Ipv4 address) {
    RouteFacts facts;
    const net::UniqueSocket probe(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    if (!probe.valid()) return facts;
    sockaddr_in remote{};
    remote.sin_family = AF_INET;
    remote.sin_addr.s_addr = address;
    remote.sin_port = htons(kRequestPort);
    // Connecting a datagram socket only picks the route.
    if (::connect(probe.get(), reinterpret_cast<const sockaddr*>(&remote), sizeof remote) != 0) {
        return facts;
    }
    sockaddr_in local{};
    socklen_t length = sizeof local;
    if (::getsockname(probe.get(), reinterpret_cast<sockaddr*>(&local), &length) != 0) return facts;
    facts.routed = true;
    facts.source = local.sin_addr.s_addr;
    return facts;
}

}  // namespace diagnosis
