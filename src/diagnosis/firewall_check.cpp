#include "diagnosis/firewall_check.h"

#include <fstream>
#include <sstream>
#include <string_view>
#include <vector>

#include "diagnosis/read_command.h"

namespace diagnosis {

namespace {

constexpr const char* N_(const char* text) {
    return text;
}

constexpr std::chrono::milliseconds kCommandTime{3000};
constexpr std::size_t kMaxRulesetBytes = 4 * 1024 * 1024;
constexpr std::string_view kOurPorts[] = {"12345", "12346", "12347"};

bool UfwEnabledInConfig() {
    std::ifstream config("/etc/ufw/ufw.conf");
    std::string line;
    while (std::getline(config, line)) {
        if (line.rfind("ENABLED=", 0) == 0) return line.find("yes") != std::string::npos;
    }
    return false;
}

bool MentionsOurPort(std::string_view line) {
    for (std::string_view port : kOurPorts) {
        if (line.find(port) != std::string_view::npos) return true;
    }
    return false;
}

}  // namespace

FirewallFacts ReadFirewall() {
    FirewallFacts facts;
    facts.ufwEnabled = UfwEnabledInConfig();
    // sbin is not on every user's PATH.
    for (const char* program : {"nft", "/usr/sbin/nft", "/sbin/nft"}) {
        auto listed =
            ReadCommandOutput({program, "list", "ruleset"}, kCommandTime, kMaxRulesetBytes);
        if (listed) {
            facts.rulesRead = true;
            facts.rules = std::move(listed.value());
            facts.readError.clear();
            break;
        }
        if (facts.readError.empty() || listed.error().detail != "No such file or directory") {
            facts.readError = listed.error().detail;
        }
    }
    return facts;
}

Finding JudgeFirewall(const FirewallFacts& facts) {
    Finding finding;
    finding.title = {N_("Firewall of this computer"), {}};
    if (!facts.rulesRead) {
        finding.mark = Mark::Warning;
        finding.summary = {N_("Could not read the firewall rules: %s."), {facts.readError}};
        if (facts.ufwEnabled) {
            finding.summary = {N_("The ufw firewall is enabled; its rules could not be read: %s."),
                               {facts.readError}};
        }
        finding.fix = {N_("Make sure the firewall allows UDP port 12345 and TCP ports 12346 and "
                          "12347 (an administrator can check)."),
                       {}};
        return finding;
    }
    std::istringstream lines(facts.rules);
    std::string line;
    bool inInput = false;
    bool inputDropsByDefault = false;
    bool ourPortsAccepted = false;
    std::vector<std::string> blocking;
    std::size_t dropRules = 0;
    while (std::getline(lines, line)) {
        if (line.find("chain ") != std::string::npos) inInput = false;
        if (line.find("hook input") != std::string::npos) {
            inInput = true;
            if (line.find("policy drop") != std::string::npos) inputDropsByDefault = true;
        }
        const bool drops =
            line.find(" drop") != std::string::npos || line.find(" reject") != std::string::npos;
        const bool isPolicy = line.find("policy ") != std::string::npos;
        if (drops && !isPolicy) {
            ++dropRules;
            if (MentionsOurPort(line))
                blocking.push_back(line.substr(line.find_first_not_of(" \t")));
        }
        if (inInput && line.find("accept") != std::string::npos && MentionsOurPort(line)) {
            ourPortsAccepted = true;
        }
    }
    finding.details = blocking;
    if (!blocking.empty()) {
        finding.mark = Mark::Problem;
        finding.summary = {N_("The firewall drops or rejects traffic on Wendaro's ports."), {}};
    } else if (inputDropsByDefault && !ourPortsAccepted) {
        finding.mark = Mark::Problem;
        finding.summary = {N_("The firewall drops incoming traffic and has no rule for Wendaro's "
                              "ports."),
                           {}};
    } else if (dropRules > 0) {
        finding.mark = Mark::Warning;
        finding.summary = {N_("The firewall has %s rules that drop or reject traffic; none names "
                              "Wendaro's ports."),
                           {std::to_string(dropRules)}};
        return finding;
    } else {
        finding.summary = {N_("No firewall rule here stands in Wendaro's way."), {}};
        return finding;
    }
    finding.fix = {N_("Allow UDP port 12345 and TCP ports 12346 and 12347 in the firewall."), {}};
    return finding;
}

}  // namespace diagnosis
