// Who holds our three ports on this machine: read from the kernel's socket tables (/proc/net) and
// the processes' open descriptors (/proc/<pid>/fd), so nothing is bound or changed to find out.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "diagnosis/finding.h"

namespace diagnosis {

struct ProcessRef {
    int pid = 0;
    std::string name;  // /proc/<pid>/comm
};

struct PortUse {
    std::uint16_t port = 0;
    bool udp = false;
    bool bound = false;              // some socket of this machine is bound to it
    std::vector<ProcessRef> owners;  // the processes we could see holding it
};

// Inodes of the sockets in a /proc/net/{tcp,udp}[6] table bound to `port`; TCP sockets count
// only while listening. Lines that do not parse are skipped.
std::vector<unsigned long> SocketInodesOnPort(std::string_view table, std::uint16_t port, bool tcp);

// The processes under procRoot (normally "/proc") with one of the socket inodes open. Processes
// whose descriptors cannot be read (another user's, without root) are not seen.
std::vector<ProcessRef> ProcessesHoldingSockets(const std::vector<unsigned long>& inodes,
                                                const std::string& procRoot);

PortUse ReadPortUse(std::uint16_t port, bool udp);

// The names of this program's processes.
bool IsOurProcess(const ProcessRef& process);

// `taken` becomes true when another program holds one of the ports and we do not.
Finding JudgePorts(const std::vector<PortUse>& uses, bool& taken);

}  // namespace diagnosis
