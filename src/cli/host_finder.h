// Finds the hosts on the LAN by listening to their announcements, and asks each one found for its
// information. Only listens: a short-lived command announcing itself would make every running
// host show it appear and vanish again.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "cli/command_context.h"
#include "protocol/request_protocol.h"

namespace cli {

class SignalWatch;

struct FoundHost {
    Ipv4 address = 0;
    proto::HostInfo info;
    bool answered = false;
};

// Listens for `listen`, then waits a little longer for the host information still on its way.
// Stops early once `enough` (when given) is true for a host that answered. Hosts come in the
// order they were found.
std::vector<FoundHost> FindHosts(const GlobalOptions& options, std::chrono::milliseconds listen,
                                 const std::function<bool(const FoundHost&)>& enough = {},
                                 SignalWatch* signals = nullptr);

// The one answering host that announces itself as `name` (letter case aside). False with an
// error when none does, or when several do: the error then lists their addresses, since one of
// them may be a look-alike.
bool ChooseHostByName(const std::vector<FoundHost>& found, const std::string& name, Ipv4& address,
                      std::string& error);

// HOST of the command line: a dotted address, a name the resolver knows, or the name a host
// announces itself under (found by listening for a few seconds; a name that more than one host
// uses is refused).
bool ResolveHostArgument(const GlobalOptions& options, const std::string& host, Ipv4& address,
                         std::string& error);

}  // namespace cli
