// The two primitive moves of every framed transfer on a non-blocking stream socket: push a whole
// buffer out, and take whatever has arrived. Both wait with poll, honour the stop flag and give up
// when the peer lets the idle limit pass without moving any data.
#pragma once

#include <cstddef>

#include "core/types.h"
#include "net/socket.h"

namespace net::detail {

// Sends all `size` bytes; false on error, closed connection, stop or stall.
bool SendAll(Socket socket, const char* data, std::size_t size, const StopFlag* stop);

// Waits for data and receives between 1 and `capacity` bytes (capacity > 0) into buffer.
// Returns the count, or 0 on close, error, stop or when no byte came within the idle limit.
std::size_t ReceiveSome(Socket socket, char* buffer, std::size_t capacity, const StopFlag* stop);

}  // namespace net::detail
