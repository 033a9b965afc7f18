// From the facts gathered to the findings about a named host and the one most likely cause.
// Pure functions: the scenarios are tested without a network.
#pragma once

#include <string>
#include <vector>

#include "diagnosis/finding.h"
#include "diagnosis/host_probe.h"

namespace diagnosis {

struct HostFacts {
    std::string given;  // as the user wrote it
    bool resolved = false;
    bool fromAnnouncement = false;  // found by the name it announces, not by the name service
    Ipv4 address = 0;
    RouteFacts route;
    bool sameSubnet = false;
    bool heard = false;  // its announcements reached us
    HostInfoProbe request;
    PortAnswer chat = PortAnswer::TimedOut;
};

struct LocalFacts {
    bool noNetwork = false;
    bool portTaken = false;
    bool othersHeard = false;
};

// Name resolution, route and subnet, announcements, the two ports, its host information; checks
// that could not run (no address) are left out.
std::vector<Finding> JudgeHost(const HostFacts& host);

Verdict DecideVerdict(const LocalFacts& local, const HostFacts* host);

}  // namespace diagnosis
