// Handing freed heap memory back to the system after a large, short-lived allocation, so that a
// long-running program returns to its resting size.
#pragma once

namespace util {

// Returns the free pages of every heap arena to the system; nothing where the C library cannot.
void ReleaseFreedMemory();

}  // namespace util
