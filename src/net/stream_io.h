// The two primitive moves of every framed transfer on a non-blocking stream socket: push a whole
// buffer out, and take whatever has arrived. Both wait with poll, honour the stop flag and give up
// when the peer lets the idle limit pass without moving any data.
#pragma once

#include <cstddef>

#include "core/types.h"
#include "net/readiness.h"
#include "net/socket.h"
#include "util/result.h"

namespace net::detail {

// Sends all `size` bytes; false on error, closed connection, stop or stall.
bool SendAll(Socket socket, const char* data, std::size_t size, const StopFlag* stop);

// Waits until the socket has data (or news of its end), the stop flag is set, or `limitMs` have
// passed since `since`. A closed or reset connection counts as readable: the receive reports it.
util::Status WaitForData(Socket socket, const StopFlag* stop, Clock::time_point since, int limitMs);

// Waits for data and receives between 1 and `capacity` bytes (capacity > 0) into buffer; the
// error says why nothing came (closed, reset, stopped, nothing within `limitMs`).
util::Result<std::size_t> ReceiveAvailable(Socket socket, char* buffer, std::size_t capacity,
                                           const StopFlag* stop, int limitMs);

// ReceiveAvailable with the idle limit, for callers that need no reason: 0 when nothing came.
std::size_t ReceiveSome(Socket socket, char* buffer, std::size_t capacity, const StopFlag* stop);

// The error for a failed recv or splice from a socket, from its errno (0: orderly close).
util::Error ConnectionError(int errorNumber);

}  // namespace net::detail
