#include "diagnosis/interfaces_check.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <algorithm>
#include <array>

#include "net/socket.h"

namespace diagnosis {

namespace {

constexpr const char* N_(const char* text) {
    return text;
}

bool StartsWithAny(std::string_view name, std::initializer_list<std::string_view> prefixes) {
    return std::any_of(prefixes.begin(), prefixes.end(),
                       [&](std::string_view prefix) { return name.starts_with(prefix); });
}

int PrefixLength(Ipv4 netmask) {
    return __builtin_popcount(netmask);
}

std::string Describe(const InterfaceFact& entry) {
    std::string line = entry.name + "  " + net::FormatIpv4(entry.address) + "/" +
                       std::to_string(PrefixLength(entry.netmask)) + "  broadcast " +
                       net::FormatIpv4(entry.broadcast);
    if (!entry.up) line += "  (down)";
    if (entry.kind == InterfaceKind::Vpn) line += "  (VPN)";
    if (entry.kind == InterfaceKind::ContainerBridge)
        line += "  (container or virtual machine bridge)";
    if (entry.announced) line += "  (announced on)";
    return line;
}

std::string JoinNames(const std::vector<InterfaceFact>& interfaces, InterfaceKind kind) {
    std::string names;
    for (const InterfaceFact& entry : interfaces) {
        if (entry.kind != kind || !entry.up) continue;
        if (!names.empty()) names += ", ";
        names += entry.name;
    }
    return names;
}

}  // namespace

InterfaceKind ClassifyInterface(std::string_view name, bool pointToPoint, bool loopback) {
    if (loopback) return InterfaceKind::Loopback;
    if (pointToPoint || StartsWithAny(name, {"tun", "tap", "wg", "ppp", "tailscale", "zt",
                                             "nordlynx", "ipsec", "vti", "proton", "mullvad"})) {
        return InterfaceKind::Vpn;
    }
    if (StartsWithAny(name, {"docker", "br-", "virbr", "lxcbr", "lxdbr", "cni", "podman", "flannel",
                             "cali", "vmnet", "vboxnet", "veth", "incusbr"})) {
        return InterfaceKind::ContainerBridge;
    }
    return InterfaceKind::Lan;
}

std::vector<InterfaceFact> ReadInterfaceFacts() {
    std::vector<InterfaceFact> result;
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0) return result;
    for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET) continue;
        InterfaceFact fact;
        fact.name = entry->ifa_name != nullptr ? entry->ifa_name : "";
        fact.address = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr.s_addr;
        fact.netmask =
            entry->ifa_netmask != nullptr
                ? reinterpret_cast<const sockaddr_in*>(entry->ifa_netmask)->sin_addr.s_addr
                : 0xFFFFFFFFu;
        fact.broadcast = fact.address | ~fact.netmask;
        fact.up = (entry->ifa_flags & IFF_UP) != 0;
        const bool loopback = (entry->ifa_flags & IFF_LOOPBACK) != 0;
        fact.kind =
            ClassifyInterface(fact.name, (entry->ifa_flags & IFF_POINTOPOINT) != 0, loopback);
        fact.announced = fact.up && !loopback;
        result.push_back(std::move(fact));
    }
    ::freeifaddrs(list);
    return result;
}

Finding JudgeInterfaces(const std::vector<InterfaceFact>& interfaces) {
    Finding finding;
    finding.title = {N_("Network interfaces"), {}};
    for (const InterfaceFact& entry : interfaces) {
        if (entry.kind != InterfaceKind::Loopback) finding.details.push_back(Describe(entry));
    }
    const bool anyLan = std::any_of(interfaces.begin(), interfaces.end(), [](const auto& entry) {
        return entry.announced && entry.kind == InterfaceKind::Lan;
    });
    const bool anyAnnounced = std::any_of(interfaces.begin(), interfaces.end(),
                                          [](const auto& entry) { return entry.announced; });
    if (!anyAnnounced) {
        finding.mark = Mark::Problem;
        finding.summary = {N_("No network connection: no interface is up with an IPv4 address."),
                           {}};
        finding.fix = {
            N_("Connect this computer to the network (cable or wireless) and try again."), {}};
        return finding;
    }
    const std::string vpns = JoinNames(interfaces, InterfaceKind::Vpn);
    const std::string bridges = JoinNames(interfaces, InterfaceKind::ContainerBridge);
    if (!vpns.empty()) {
        finding.mark = Mark::Warning;
        finding.summary = {
            N_("A VPN is active (%s): it may carry traffic meant for the local network."), {vpns}};
        finding.fix = {
            N_("If other computers stay missing, disconnect the VPN or allow access to the "
               "local network in its settings."),
            {}};
    } else if (!anyLan) {
        finding.mark = Mark::Warning;
        finding.summary = {
            N_("Only container or virtual machine bridges are up (%s), no local network."),
            {bridges}};
        finding.fix = {
            N_("Connect this computer to the network (cable or wireless) and try again."), {}};
    } else {
        finding.summary = {N_("Connected; announcements go out on every interface listed."), {}};
        if (!bridges.empty()) {
            finding.summary = {
                N_("Connected; container or virtual machine bridges (%s) are announced "
                   "on as well, which does no harm."),
                {bridges}};
        }
    }
    return finding;
}

bool InSameSubnet(const std::vector<InterfaceFact>& interfaces, Ipv4 address) {
    return std::any_of(interfaces.begin(), interfaces.end(), [&](const InterfaceFact& entry) {
        return entry.announced && (entry.address & entry.netmask) == (address & entry.netmask);
    });
}

}  // namespace diagnosis
