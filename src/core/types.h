// Small value types shared by every layer.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

// An IPv4 address in network byte order, everywhere in memory and in every listener call.
using Ipv4 = std::uint32_t;

// Stop, shutdown and cancel flags: owned by whoever may want to give up, read by the worker that
// should notice. A null pointer means "no flag".
using StopFlag = std::atomic<bool>;

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
