// Feeds arbitrary bytes to the length-header parser and, through a connected socket pair, to the
// framed-text receiver, checking that whatever it accepts is exactly what the header announced.
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "net/framing.h"

namespace {

constexpr std::size_t kMaxLength = 256;
// Small enough that one non-blocking write always fits into the socket buffer.
constexpr std::size_t kMaxInput = 64 * 1024;

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

void CheckParser(std::string_view text) {
    std::uint64_t length = 0;
    if (!net::ParseLengthHeader(text, length)) return;
    Check(!text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos);
    const std::size_t firstSignificant = std::min(text.find_first_not_of('0'), text.size() - 1);
    Check(std::to_string(length) == text.substr(firstSignificant));
}

void CheckReceiver(std::string_view input) {
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, ends) != 0) return;
    const ssize_t written = ::send(ends[0], input.data(), input.size(), MSG_NOSIGNAL);
    ::shutdown(ends[0], SHUT_WR);
    std::string out = "unchanged";
    const bool ok = written == static_cast<ssize_t>(input.size()) &&
                    net::ReceiveString(ends[1], out, nullptr, kMaxLength);
    if (ok) {
        const std::size_t colon = input.find(':');
        Check(colon != std::string_view::npos && colon < 64);
        std::uint64_t announced = 0;
        Check(net::ParseLengthHeader(input.substr(0, colon), announced));
        Check(announced == out.size() && out.size() <= kMaxLength);
        Check(input.substr(colon + 1, out.size()) == out);
    } else {
        Check(out.empty());
    }
    ::close(ends[0]);
    ::close(ends[1]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), std::min(size, kMaxInput));
    CheckParser(input);
    CheckParser(input.substr(0, input.find(':')));
    CheckReceiver(input);
    return 0;
}
