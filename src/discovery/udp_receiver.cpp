#include "discovery/udp_receiver.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace discovery {

net::UniqueSocket CreateDatagramReceiver(Ipv4 address, std::uint16_t port) {
    net::UniqueSocket socket(::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!socket.valid()) return {};
    const int on = 1;
    // Several copies on one machine (or a restarted one) must be able to share the port.
    if (::setsockopt(socket.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
        ::setsockopt(socket.get(), SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0) {
        return {};
    }
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = address;
    local.sin_port = htons(port);
    if (::bind(socket.get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        return {};
    }
    return socket;
}

bool ReceiveDatagram(net::Socket socket, std::size_t capacity, std::string& data, Ipv4& sender) {
    data.resize(capacity);
    sockaddr_in from{};
    socklen_t fromLength = sizeof from;
    const ssize_t received = ::recvfrom(socket, data.data(), data.size(), 0,
                                        reinterpret_cast<sockaddr*>(&from), &fromLength);
    if (received < 0 || from.sin_family != AF_INET) {
        data.clear();
        return false;
    }
    data.resize(static_cast<std::size_t>(received));
    sender = from.sin_addr.s_addr;
    return true;
}

}  // namespace discovery
