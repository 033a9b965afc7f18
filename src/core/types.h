// Small value types shared by every layer.
#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <string>

#include "core/stop_flag.h"

// An IPv4 address in network byte order, everywhere in memory and in every listener call.
using Ipv4 = std::uint32_t;

// 127.0.0.1, in network byte order like every Ipv4.
inline Ipv4 LoopbackIpv4() {
    return htonl(INADDR_LOOPBACK);
}

// How a host became known.
enum class HostKind : int { LocalHost = 0, Discovered = 1, Manual = 2 };

// One entry of a folder listing and of each model node.
struct DirEntry {
    std::string name;
    std::int64_t size = 0;
    bool folder = false;

    bool operator==(const DirEntry&) const = default;
};

// The three ports every copy of the program uses.
inline constexpr std::uint16_t kDiscoveryPort = 12345;
inline constexpr std::uint16_t kRequestPort = 12346;
inline constexpr std::uint16_t kChatPort = 12347;
