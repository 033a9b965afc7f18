// Length-prefixed stream framing ("<decimal length>:<payload>") over non-blocking TCP sockets.
// Every wait is a poll that the caller's stop flag ends at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "core/types.h"
#include "net/progress.h"
#include "net/socket.h"
#include "util/result.h"

namespace net {

// Send chunk and receive chunk sizes of the wire protocol.
inline constexpr std::size_t kSendChunk = 1'024'000;
inline constexpr std::size_t kReceiveChunk = 64'000;

// Upper bounds that callers pass to ReceiveString.
inline constexpr std::size_t kMaxRequestLength = 64 * 1024;
inline constexpr std::size_t kMaxHostInfoLength = 64 * 1024;
inline constexpr std::size_t kMaxChatLength = 1024 * 1024;
// A listing reply is held whole in memory, once per running "expand" job.
inline constexpr std::size_t kMaxListingLength = 64 * 1024 * 1024;

// How long a receive waits without any data before it gives up (default 20 000 ms), counted from
// the start of the receive as well, so a peer that accepts and never answers cannot hold us. A send
// whose peer takes no byte for as long gives up too. Process-wide; the command-line client changes
// it with --timeout. Values of 0 or below restore the default.
void SetReceiveIdleTimeout(int milliseconds);
int ReceiveIdleTimeout();

// How long a file receive waits for the first byte of the reply (default 120 000 ms): the host
// may be asking its user whether we may download. Never shorter than the idle limit. Values of 0
// or below restore the default.
void SetFirstDataTimeout(int milliseconds);
int FirstDataTimeout();

// Sends the header and then `length` bytes of `block`, or, when block is null and fileName is not
// empty, the whole file (its size becomes the length; sendfile where possible).
bool SendData(Socket socket, const void* block, std::uint64_t length, const std::string& fileName,
              const StopFlag* stop, void* context, ProgressListener* listener);
bool SendString(Socket socket, std::string_view text, const StopFlag* stop);
bool SendFile(Socket socket, const std::string& fileName, const StopFlag* stop, void* context,
              ProgressListener* listener);

// Receives exactly `length` bytes into block, or, when block is null, into fileName. A file is
// written to a temporary name in the same folder and renamed over fileName only when complete;
// on failure nothing is left behind and an existing fileName is untouched.
[[nodiscard]] util::Status ReceiveData(Socket socket, void* block, std::uint64_t length,
                                       const std::string& fileName, const StopFlag* stop,
                                       void* context, ProgressListener* listener);

// One framed text. Fails, allocating nothing of the claim, when the header is not a plain
// non-negative decimal below 64 characters or announces more than maxLength bytes.
bool ReceiveString(Socket socket, std::string& out, const StopFlag* stop, std::size_t maxLength);

// One framed text, like ReceiveString, saying why it failed: ConnectionLost when the peer closed
// before the length (a host that does not know the request does that), TimedOut, BadReply (also
// for a length beyond maxLength), Stopped.
// `firstByteLimitMs` (0: the idle limit) bounds the wait for the reply's first byte.
[[nodiscard]] util::Result<std::string> ReceiveReply(Socket socket, const StopFlag* stop,
                                                     std::size_t maxLength,
                                                     int firstByteLimitMs = 0);

// A length header "<digits>:" alone, with the idle limit, for callers that take the data
// themselves; errors as ReceiveReply.
[[nodiscard]] util::Result<std::uint64_t> ReceiveLengthHeader(Socket socket, const StopFlag* stop);

// One framed file into fileName (see ReceiveData). With `listedLength` (the size the listing
// gave), a header announcing any other length fails before the file is created, like a header
// that cannot be read: a longer reply could fill the disk, a shorter one would pass for the whole
// file. A connection closed before the header is the host's refusal.
[[nodiscard]] util::Status ReceiveFile(Socket socket, const std::string& fileName,
                                       const StopFlag* stop, void* context,
                                       ProgressListener* listener,
                                       std::optional<std::uint64_t> listedLength = std::nullopt);

// The header that goes before `length` bytes: "<digits>:".
std::string LengthHeader(std::uint64_t length);

// Parses a received length header: digits only, no sign; false otherwise or on overflow.
bool ParseLengthHeader(std::string_view header, std::uint64_t& length);

}  // namespace net
