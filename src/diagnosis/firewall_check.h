// The local firewall, read without changing it: the nftables rule set (which also holds what
// iptables-nft and ufw put there) and whether ufw says it is enabled.
#pragma once

#include <string>

#include "diagnosis/finding.h"

namespace diagnosis {

struct FirewallFacts {
    bool rulesRead = false;
    std::string rules;      // `nft list ruleset` when rulesRead
    std::string readError;  // why it could not be read otherwise
    bool ufwEnabled = false;
};

FirewallFacts ReadFirewall();

// What a rule set means for our ports; counts only chains that filter incoming traffic and rules
// that drop or reject.
Finding JudgeFirewall(const FirewallFacts& facts);

}  // namespace diagnosis
