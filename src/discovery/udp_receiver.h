// The datagram socket that hears the announcements of other hosts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/types.h"
#include "net/socket.h"

namespace discovery {

// A non-blocking UDP socket with SO_REUSEADDR and SO_BROADCAST, bound to address:port (network
// order address, 0 = any; port 0 = ephemeral); invalid on failure.
net::UniqueSocket CreateDatagramReceiver(Ipv4 address, std::uint16_t port);

// Reads one waiting datagram, at most `capacity` bytes of it (the rest is discarded by the
// kernel). False when nothing could be read.
bool ReceiveDatagram(net::Socket socket, std::size_t capacity, std::string& data, Ipv4& sender);

}  // namespace discovery
