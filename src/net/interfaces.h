// Local IPv4 interfaces, address-change notification and the host name.
#pragma once

#include <string>
#include <vector>

#include "core/types.h"

namespace net {

struct InterfaceEntry {
    Ipv4 address = 0;    // network order
    Ipv4 netmask = 0;    // network order
    Ipv4 broadcast = 0;  // directed broadcast: address | ~netmask
};

bool EnumInterfaces(std::vector<InterfaceEntry>& out, bool includeLoopback, bool includeDown);

// Watches the kernel's address list through a netlink route socket.
class AddressChangeWatcher {
public:
    AddressChangeWatcher();
    ~AddressChangeWatcher();
    AddressChangeWatcher(const AddressChangeWatcher&) = delete;
    AddressChangeWatcher& operator=(const AddressChangeWatcher&) = delete;

    // Starts listening for the next change; true when the watcher is usable.
    bool Arm();
    // Non-blocking: true (once) when an address was added or removed since Arm.
    bool CheckChanged();
    // Descriptor that becomes readable on a change, for callers that poll.
    int Descriptor() const { return fd_; }

private:
    int fd_ = -1;
};

// This machine's host name, or "" when it cannot be read.
std::string GetLocalHostName();

}  // namespace net
