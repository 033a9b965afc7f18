// Freed memory goes back to the system, so that a long-running program returns to its resting
// size after a large, short-lived allocation (a hostile host's share list of ten megabytes, say).
#pragma once

namespace util {

// Blocks of 1 MiB and more are mapped on their own and unmapped when freed, and freed heap tops are
// given back. The C library would otherwise raise both bounds after the first large block is
// freed, and the next large blocks would stay in the threads' heaps for good. Call once at start,
// before any thread; nothing where the C library offers no such setting.
void ReturnLargeBlocksWhenFreed();

}  // namespace util
