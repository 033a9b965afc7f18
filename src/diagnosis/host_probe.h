// What one named computer shows of itself from here: its address, the way to it, and whether its
// request and chat ports answer. Each probe is one connection bounded in time; nothing is sent but
// the request for its host information.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "core/types.h"
#include "protocol/request_protocol.h"

namespace diagnosis {

enum class PortAnswer {
    Answered,     // the connection was accepted
    Refused,      // reset: nothing listens there (or a firewall rejects)
    TimedOut,     // no answer at all: a firewall drops it, or the computer is off
    Unreachable,  // the network said the computer is not there
    NoRoute,      // this computer knows no way to the address
};

const char* PortAnswerText(PortAnswer answer);

PortAnswer ProbeTcpPort(Ipv4 address, std::uint16_t port, std::chrono::milliseconds timeout,
                        const StopFlag* stop);

struct HostInfoProbe {
    PortAnswer answer = PortAnswer::TimedOut;
    std::optional<proto::HostInfo> info;  // when it answered with a readable reply
};

// Connects to the request port and asks for the extended host information; the whole exchange is
// bounded by `timeout`, and the reply by the host information's length limit.
HostInfoProbe AskHostInfo(Ipv4 address, std::uint16_t port, std::chrono::milliseconds timeout,
                          const StopFlag* stop);

struct RouteFacts {
    bool routed = false;
    Ipv4 source = 0;  // the local address traffic to it leaves from
};

// Asks the kernel which local address a datagram to the address would leave from; sends nothing.
RouteFacts FindRoute(Ipv4 address);

}  // namespace diagnosis
