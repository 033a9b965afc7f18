#include <atomic>
#include <limits>

#include "net/framing.h"

namespace net {
namespace {
constexpr int kDefaultIdleTimeoutMs = 20'000;
constexpr int kDefaultFirstDataTimeoutMs = 120'000;
std::atomic<int> idleTimeoutMs{kDefaultIdleTimeoutMs};
std::atomic<int> firstDataTimeoutMs{kDefaultFirstDataTimeoutMs};
}  // namespace

void SetFirstDataTimeout(int milliseconds) {
    firstDataTimeoutMs.store(milliseconds > 0 ? milliseconds : kDefaultFirstDataTimeoutMs);
}

int FirstDataTimeout() {
    return firstDataTimeoutMs.load();
}

void SetReceiveIdleTimeout(int milliseconds) {
    idleTimeoutMs.store(milliseconds > 0 ? milliseconds : kDefaultIdleTimeoutMs);
}

int ReceiveIdleTimeout() {
    return idleTimeoutMs.load();
}

std::string LengthHeader(std::uint64_t length) {
    return std::to_string(length) + ":";
}

bool ParseLengthHeader(std::string_view header, std::uint64_t& length) {
    if (header.empty()) return false;
    std::uint64_t value = 0;
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
    for (const char c : header) {
        if (c < '0' || c > '9') return false;
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (value > (kMax - digit) / 10) return false;
        value = value * 10 + digit;
    }
    length = value;
    return true;
}

}  // namespace net
