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

// Sends `text` in the stream framing to every recipient over a fresh connection each, then waits
// for the recipient to close its end. A recipient that read the whole text closes normally; one
// that closes with the text unread (too busy, or malformed to it) resets the connection. Returns
// the recipients that did not confirm in time: unreachable, reset, too slow, or left over when
// the stop flag was set. Returns within 100 ms of the stop flag.
[[nodiscard]] std::vector<Ipv4> DeliverToAll(std::string_view text,
                                             const std::vector<Ipv4>& recipients,
                                             const DeliveryOptions& options, const StopFlag* stop);

}  // namespace chat
