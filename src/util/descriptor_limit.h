// Every connection, keep-alive and waiting thread holds descriptors (a socket, a wake-up event),
// and the default soft limit of 1024 is below what the connection bounds allow at once.
#pragma once

namespace util {

// Raises the soft limit on open descriptors to the hard limit (at most 65536). Waits use poll, so
// descriptors above 1024 are safe. Call once at start.
void RaiseDescriptorLimit();

}  // namespace util

namespace util {

// The current soft limit on open descriptors (1024 when it cannot be read or is unlimited).
int DescriptorLimit();

}  // namespace util
