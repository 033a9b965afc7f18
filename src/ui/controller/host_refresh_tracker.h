// The refresh of a host: its host information (which names it) and its share list, asked for
// together. Any peer can send change notices as often as it likes: at most one refresh of a host
// runs at a time and one begins at most every kMinIntervalMs, the notices in between gathered
// into the next one, so that a peer sending them without pause costs one share list every few
// seconds.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "core/types.h"
#include "ui/controller/lumvale_dialog_network.h"
#include "ui/views/clock.h"

namespace ui {

class HostRefreshTracker {
public:
    static constexpr std::uint32_t kMinIntervalMs = 5000;

    HostRefreshTracker(ControllerNetwork& network, const Clock& clock, const StopFlag* stop)
        : network_(network), clock_(clock), stop_(stop) {}

    // Asks for the host's information and share list, whatever was asked before.
    void Queue(Ipv4 address);
    // A change notice of a host the tree holds: a refresh now, or one gathered for later.
    void OnNotice(Ipv4 address);
    // Starts the refreshes that notices asked for once their host may be asked again.
    void RunNoticed();
    // True while a job of the host's latest refresh is still known to the queue.
    bool IsWaiting(Ipv4 address) const;
    // The host is gone: nobody wants its answers, and forged hosts would otherwise keep workers
    // connecting to nowhere long after they were dropped.
    void Forget(Ipv4 address);

private:
    struct Refresh {
        std::vector<JobId> jobs;
        std::uint32_t startedMs = 0;
        bool noticeWaiting = false;
    };

    ControllerNetwork& network_;
    const Clock& clock_;
    const StopFlag* stop_;
    std::map<Ipv4, Refresh> refreshes_;
};

}  // namespace ui
