// What each host answered about the extension words, kept while the host stays in the network
// structure so that a host of the common protocol costs one extra connection at most: the first
// caller for a host asks it, callers for the same host meanwhile wait for that answer instead of
// asking again, and an answer of "lacking" or "present" is kept until Forget. A host that could
// not be reached is asked again next time.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <unordered_map>

#include "client/extension_probe.h"
#include "core/types.h"

namespace client {

class ExtensionMemo {
public:
    // The host's answer, asking it first when nothing is known. Blocks while another thread asks
    // the same host. Thread-safe.
    ExtensionAnswer Lookup(Ipv4 address, std::uint16_t port, const StopFlag* stop);
    // What is known without asking (support Unknown when nothing is).
    ExtensionAnswer Known(Ipv4 address) const;
    // The host left the network structure: it may come back as another program.
    void Forget(Ipv4 address);
    // For tests and for hosts whose answer came some other way.
    void Remember(Ipv4 address, ExtensionAnswer answer);

private:
    struct Entry {
        ExtensionAnswer answer;
        bool asking = false;
    };

    mutable std::mutex lock_;
    std::condition_variable asked_;
    std::unordered_map<Ipv4, Entry> hosts_;
};

}  // namespace client
