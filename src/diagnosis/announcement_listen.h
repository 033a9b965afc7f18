// Listens on the discovery port for a while and notes who announces itself. Only listens: it
// sends nothing, so running it does not make this computer appear anywhere.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "core/types.h"
#include "diagnosis/finding.h"

namespace diagnosis {

struct HeardSender {
    Ipv4 address = 0;
    int announcements = 0;
    bool own = false;  // one of this computer's addresses
    std::string name;  // from its host information, when it answered
};

struct ListenFacts {
    bool listening = false;
    std::string error;  // why the port could not be opened
    std::vector<HeardSender> senders;
    int seconds = 0;
};

ListenFacts ListenForAnnouncements(std::uint16_t port, std::chrono::milliseconds duration,
                                   const std::vector<Ipv4>& ownAddresses, const StopFlag* stop);

bool Heard(const ListenFacts& facts, Ipv4 address);

Finding JudgeListening(const ListenFacts& facts);

}  // namespace diagnosis
