// The network interfaces as the diagnosis sees them: which are up, which carry IPv4 and a
// broadcast address, which the program announces itself on, and which are a VPN or a container
// bridge rather than the LAN.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/types.h"
#include "diagnosis/finding.h"

namespace diagnosis {

enum class InterfaceKind { Lan, Loopback, Vpn, ContainerBridge };

struct InterfaceFact {
    std::string name;
    Ipv4 address = 0;  // network order, like every Ipv4
    Ipv4 netmask = 0;
    Ipv4 broadcast = 0;
    bool up = false;
    InterfaceKind kind = InterfaceKind::Lan;
    // The discovery announces on every interface that is up, has IPv4 and is not loopback.
    bool announced = false;
};

// From the name and whether the link is point-to-point (tunnels are).
InterfaceKind ClassifyInterface(std::string_view name, bool pointToPoint, bool loopback);

// The IPv4 interfaces of this machine (of this network namespace).
std::vector<InterfaceFact> ReadInterfaceFacts();

Finding JudgeInterfaces(const std::vector<InterfaceFact>& interfaces);

// True when some interface announced on holds the address in its subnet.
bool InSameSubnet(const std::vector<InterfaceFact>& interfaces, Ipv4 address);

}  // namespace diagnosis
