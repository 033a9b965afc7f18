// Runs every check in turn and reports each finding as soon as it is known, then the verdict.
// Only reads: nothing is bound but a listening socket on the discovery port, nothing is sent but
// connections to a named host and requests for host information.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "core/types.h"
#include "diagnosis/finding.h"

namespace diagnosis {

struct DiagnosisRequest {
    std::string host;  // a name or an address; empty: this computer's side only
    std::uint16_t discoveryPort = kDiscoveryPort;
    std::uint16_t requestPort = kRequestPort;
    std::uint16_t chatPort = kChatPort;
    std::chrono::milliseconds listen{3000};
    std::chrono::milliseconds probeTimeout{3000};
};

// Called with each finding and how many of the expected ones are done.
using FindingSink = std::function<void(const Finding& finding, int done, int total)>;

int ExpectedFindings(const DiagnosisRequest& request);

// A set stop flag ends the run early; the report then holds what was found so far.
Report RunDiagnosis(const DiagnosisRequest& request, const FindingSink& sink, const StopFlag* stop);

}  // namespace diagnosis
