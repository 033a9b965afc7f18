#include "net/interfaces.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "util/error_text.h"
#include "util/trace.h"

namespace net {

bool EnumInterfaces(std::vector<InterfaceEntry>& out, bool includeLoopback, bool includeDown) {
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0) {
        XUTIL_DIAG("cannot list the interfaces: %s\n", util::ErrorText(errno).c_str());
        return false;
    }
    out.clear();
    for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET) continue;
        if (!includeDown && (entry->ifa_flags & IFF_UP) == 0) continue;
        if (!includeLoopback && (entry->ifa_flags & IFF_LOOPBACK) != 0) continue;
        InterfaceEntry item;
        item.address = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr.s_addr;
        // An interface without a netmask is a single host: its broadcast is its own address.
        item.netmask =
            entry->ifa_netmask != nullptr
                ? reinterpret_cast<const sockaddr_in*>(entry->ifa_netmask)->sin_addr.s_addr
                : 0xFFFFFFFFu;
        item.broadcast = item.address | ~item.netmask;
        out.push_back(item);
    }
    ::freeifaddrs(list);
    return true;
}

std::string GetLocalHostName() {
    char name[1024] = {};
    if (::gethostname(name, sizeof name - 1) != 0) return {};
    return name;
}

}  // namespace net
