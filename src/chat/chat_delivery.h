// Sending one chat text to every recipient at once, so that recipients that cannot be reached
// cost the others nothing and each text no more than one recipient's time limit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "core/types.h"

namespace chat {

struct DeliveryOptions {
    // The recipients' chat port.
    std::uint16_t port = kChatPort;
    // Connection attempts per recipient (0 = until its time limit); a refused attempt is followed
    // by a 100 ms pause.
    int connectAttempts = 10;
    // From its first attempt, the time a recipient has to accept the connection and take in the
    // whole text; then it is given up.
    int recipientTimeoutMs = 5'000;
    // Recipients served at once; the rest follow as places free up.
    std::size_t mostAtOnce = 64;
};

// Sends `text` in the stream framing to every recipient over a fresh connection each, closing each
// connection once its text is out. A recipient that cannot be reached in time is skipped without
// notice. Returns when every recipient is done or given up, or within 100 ms of the stop flag.
void DeliverToAll(std::string_view text, const std::vector<Ipv4>& recipients,
                  const DeliveryOptions& options, const StopFlag* stop);

}  // namespace chat
