#include "diagnosis/verdict.h"

#include "net/socket.h"

namespace diagnosis {

namespace {

constexpr const char* N_(const char* text) {
    return text;
}

const std::string kPortsFix = "12345/udp, 12346/tcp, 12347/tcp";

Finding PortFinding(const char* title, PortAnswer answer, const std::string& host) {
    Finding finding;
    finding.title = {title, {}};
    finding.details.emplace_back(PortAnswerText(answer));
    switch (answer) {
        case PortAnswer::Answered:
            finding.summary = {N_("It answers."), {}};
            break;
        case PortAnswer::Refused:
            finding.mark = Mark::Problem;
            finding.summary = {N_("%s refuses the connection: nothing listens on this port."),
                               {host}};
            break;
        case PortAnswer::TimedOut:
            finding.mark = Mark::Problem;
            finding.summary = {N_("No answer from %s: a firewall drops the connection, or the "
                                  "computer is off."),
                               {host}};
            break;
        case PortAnswer::Unreachable:
        case PortAnswer::NoRoute:
            finding.mark = Mark::Problem;
            finding.summary = {N_("%s cannot be reached."), {host}};
            break;
    }
    return finding;
}

bool Blocked(PortAnswer answer) {
    return answer == PortAnswer::TimedOut || answer == PortAnswer::Refused;
}

Verdict HostVerdict(const HostFacts& host) {
    const std::string& name = host.given;
    const PortAnswer request = host.request.answer;
    if (!host.resolved) {
        return {Cause::NoSuchHost,
                {N_("There is no computer called %s: the name service does not know it and no "
                    "computer announces it."),
                 {name}},
                {N_("Check the spelling, or add the computer by its address."), {}}};
    }
    if (!host.route.routed || request == PortAnswer::NoRoute) {
        return {Cause::NoRoute,
                {N_("This computer has no route to %s."), {name}},
                {N_("Check the network settings (gateway) of this computer, or the address."), {}}};
    }
    if (request == PortAnswer::Unreachable ||
        (request == PortAnswer::TimedOut && host.chat == PortAnswer::TimedOut && !host.heard)) {
        return {Cause::NoSuchHost,
                {N_("Nothing answers at %s: no computer is there, it is switched off, or a "
                    "firewall drops everything."),
                 {name}},
                {N_("Check that the computer is switched on and that the name or address is "
                    "right."),
                 {}}};
    }
    if (request == PortAnswer::Refused && host.chat == PortAnswer::Refused) {
        return {Cause::NotRunning,
                {N_("%s is there, but Wendaro is not running on it."), {name}},
                {N_("Start Wendaro on %s."), {name}}};
    }
    if (Blocked(request) || Blocked(host.chat)) {
        const std::string port = Blocked(request) ? "12346/tcp" : "12347/tcp";
        return {Cause::BlockedPort,
                {N_("Port %s of %s does not answer while the rest of it does: a firewall blocks "
                    "it."),
                 {port, name}},
                {N_("Open the ports %s in the firewall of %s."), {kPortsFix, name}}};
    }
    if (!host.request.info) {
        return {Cause::OtherProgram,
                {N_("Something answers on port 12346 of %s, but it is not Wendaro."), {name}},
                {N_("Quit the program that holds port 12346 on %s, then start Wendaro there."),
                 {name}}};
    }
    if (!host.heard && !host.sameSubnet) {
        return {Cause::OtherSubnet,
                {N_("%s answers, but it is in another subnet: announcements do not cross "
                    "routers."),
                 {name}},
                {N_("Add it by its address (Add host) on this computer, and add this computer on "
                    "it; both are remembered."),
                 {}}};
    }
    if (!host.heard) {
        return {Cause::OneWay,
                {N_("%s answers, but its announcements do not reach this computer (one-way "
                    "visibility)."),
                 {name}},
                {N_("Allow UDP port 12345 in the firewalls of both computers and turn off client "
                    "isolation on the wireless access point; meanwhile add it by its address."),
                 {}}};
    }
    return {Cause::None, {N_("%s is visible from here; all is well."), {name}}, {}};
}

}  // namespace

const char* CauseKey(Cause cause) {
    switch (cause) {
        case Cause::None:
            return "all-well";
        case Cause::NoNetwork:
            return "no-network";
        case Cause::PortTaken:
            return "port-taken";
        case Cause::NoSuchHost:
            return "no-such-host";
        case Cause::NoRoute:
            return "no-route";
        case Cause::NotRunning:
            return "not-running";
        case Cause::BlockedPort:
            return "blocked-port";
        case Cause::OtherProgram:
            return "other-program";
        case Cause::OneWay:
            return "one-way";
        case Cause::OtherSubnet:
            return "other-subnet";
        case Cause::NothingHeard:
            return "nothing-heard";
    }
    return "";
}

std::vector<Finding> JudgeHost(const HostFacts& host) {
    std::vector<Finding> findings;
    const std::string& name = host.given;
    Finding resolution;
    resolution.title = {N_("Name resolution"), {}};
    if (!host.resolved) {
        resolution.mark = Mark::Problem;
        resolution.summary = {N_("%s is not a known name or address."), {name}};
        findings.push_back(resolution);
        return findings;
    }
    const std::string address = net::FormatIpv4(host.address);
    resolution.summary = host.fromAnnouncement
                             ? Text{N_("%s announces itself from %s."), {name, address}}
                             : Text{N_("%s is %s."), {name, address}};
    findings.push_back(resolution);

    Finding route;
    route.title = {N_("Route and subnet"), {}};
    if (!host.route.routed) {
        route.mark = Mark::Problem;
        route.summary = {N_("This computer has no route to %s."), {name}};
        findings.push_back(route);
        return findings;
    }
    route.details.push_back("from " + net::FormatIpv4(host.route.source));
    if (host.sameSubnet) {
        route.summary = {N_("Same subnet as this computer."), {}};
    } else {
        route.mark = Mark::Warning;
        route.summary = {N_("Another subnet: it is reached through a router."), {}};
    }
    findings.push_back(route);

    Finding heard;
    heard.title = {N_("Its announcements"), {}};
    if (host.heard) {
        heard.summary = {N_("Its announcements reach this computer."), {}};
    } else {
        heard.mark = Mark::Warning;
        heard.summary = {N_("None of its announcements reached this computer."), {}};
    }
    findings.push_back(heard);

    findings.push_back(PortFinding(N_("Request port 12346/tcp"), host.request.answer, name));
    findings.push_back(PortFinding(N_("Chat port 12347/tcp"), host.chat, name));

    Finding info;
    info.title = {N_("Host information"), {}};
    if (host.request.info) {
        const proto::HostInfo& answer = *host.request.info;
        info.summary = {N_("It calls itself %s."), {answer.hostName}};
        info.details = {"version " + answer.version, "system " + answer.system};
    } else {
        info.mark = host.request.answer == PortAnswer::Answered ? Mark::Problem : Mark::Warning;
        info.summary = {N_("No host information came back."), {}};
    }
    findings.push_back(info);
    return findings;
}

Verdict DecideVerdict(const LocalFacts& local, const HostFacts* host) {
    if (local.noNetwork) {
        return {
            Cause::NoNetwork,
            {N_("This computer is not connected to a network."), {}},
            {N_("Connect this computer to the network (cable or wireless) and try again."), {}}};
    }
    if (local.portTaken) {
        return {
            Cause::PortTaken,
            {N_("Another program holds one of Wendaro's ports on this computer."), {}},
            {N_("Quit that program or move it to another port, then start Wendaro again."), {}}};
    }
    if (host != nullptr) return HostVerdict(*host);
    if (!local.othersHeard) {
        return {Cause::NothingHeard,
                {N_("No other computer running Wendaro could be heard."), {}},
                {N_("Start Wendaro on the other computers; if one still stays missing, run this "
                    "check with its name or address."),
                 {}}};
    }
    return {Cause::None, {N_("Other computers are visible from here; all is well."), {}}, {}};
}

}  // namespace diagnosis
