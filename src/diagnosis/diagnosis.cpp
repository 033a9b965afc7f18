#include "diagnosis/diagnosis.h"

#include <algorithm>
#include <future>
#include <vector>

#include "diagnosis/announcement_listen.h"
#include "diagnosis/firewall_check.h"
#include "diagnosis/host_probe.h"
#include "diagnosis/interfaces_check.h"
#include "diagnosis/port_owners.h"
#include "diagnosis/verdict.h"
#include "net/socket.h"
#include "util/text.h"

namespace diagnosis {

namespace {

constexpr int kLocalFindings = 4;
constexpr int kHostFindings = 6;
// Senders are asked for their names together, each bounded; more are listed by address only.
constexpr std::size_t kMaxNamedSenders = 16;
constexpr std::chrono::milliseconds kNameTimeout{1500};

void NameSenders(ListenFacts& facts, std::uint16_t requestPort, const StopFlag* stop) {
    std::vector<std::pair<HeardSender*, std::future<HostInfoProbe>>> asked;
    for (HeardSender& heard : facts.senders) {
        if (asked.size() >= kMaxNamedSenders) break;
        asked.emplace_back(&heard, std::async(std::launch::async, [&heard, requestPort, stop] {
            return AskHostInfo(heard.address, requestPort, kNameTimeout, stop);
        }));
    }
    for (auto& [heard, probe] : asked) {
        const HostInfoProbe answer = probe.get();
        if (answer.info) heard->name = answer.info->hostName;
    }
}

HostFacts ProbeHost(const DiagnosisRequest& request, const std::vector<InterfaceFact>& interfaces,
                    const ListenFacts& heard, const StopFlag* stop) {
    HostFacts host;
    host.given = request.host;
    if (net::ResolveHost(request.host, host.address)) {
        host.resolved = true;
    } else {
        const auto named = std::find_if(heard.senders.begin(), heard.senders.end(),
                                        [&](const HeardSender& sender) {
                                            return xUtilEqualsNoCase(sender.name, request.host);
                                        });
        if (named == heard.senders.end()) return host;
        host.resolved = true;
        host.fromAnnouncement = true;
        host.address = named->address;
    }
    host.route = FindRoute(host.address);
    if (!host.route.routed) return host;
    host.sameSubnet = InSameSubnet(interfaces, host.address);
    host.heard = Heard(heard, host.address);
    auto chat = std::async(std::launch::async, [&] {
        return ProbeTcpPort(host.address, request.chatPort, request.probeTimeout, stop);
    });
    host.request = AskHostInfo(host.address, request.requestPort, request.probeTimeout, stop);
    host.chat = chat.get();
    return host;
}

}  // namespace

int ExpectedFindings(const DiagnosisRequest& request) {
    return kLocalFindings + (request.host.empty() ? 0 : kHostFindings);
}

Report RunDiagnosis(const DiagnosisRequest& request, const FindingSink& sink,
                    const StopFlag* stop) {
    Report report;
    const int total = ExpectedFindings(request);
    const auto add = [&](Finding finding) {
        report.findings.push_back(std::move(finding));
        if (sink) sink(report.findings.back(), static_cast<int>(report.findings.size()), total);
    };
    LocalFacts local;

    const std::vector<InterfaceFact> interfaces = ReadInterfaceFacts();
    Finding interfaceFinding = JudgeInterfaces(interfaces);
    local.noNetwork = interfaceFinding.mark == Mark::Problem;
    add(std::move(interfaceFinding));

    std::vector<PortUse> uses{ReadPortUse(request.discoveryPort, true),
                              ReadPortUse(request.requestPort, false),
                              ReadPortUse(request.chatPort, false)};
    add(JudgePorts(uses, local.portTaken));
    if (IsStopped(stop)) return report;

    add(JudgeFirewall(ReadFirewall()));

    std::vector<Ipv4> own;
    own.reserve(interfaces.size());
    for (const InterfaceFact& entry : interfaces) own.push_back(entry.address);
    ListenFacts heard = ListenForAnnouncements(request.discoveryPort, request.listen, own, stop);
    NameSenders(heard, request.requestPort, stop);
    local.othersHeard = std::any_of(heard.senders.begin(), heard.senders.end(),
                                    [](const HeardSender& sender) { return !sender.own; });
    add(JudgeListening(heard));
    if (IsStopped(stop)) return report;

    if (request.host.empty()) {
        report.verdict = DecideVerdict(local, nullptr);
        return report;
    }
    const HostFacts host = ProbeHost(request, interfaces, heard, stop);
    for (Finding& finding : JudgeHost(host)) add(std::move(finding));
    report.verdict = DecideVerdict(local, &host);
    return report;
}

}  // namespace diagnosis
