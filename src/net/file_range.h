// The data frame of a "wdx-get" reply, on both sides: a part of a file sent from an offset, and
// received at the end of a part already held, the whole file passing through a SHA-256.
#pragma once

#include <cstdint>
#include <string>

#include "core/types.h"
#include "net/progress.h"
#include "net/socket.h"
#include "util/result.h"

namespace net {

// Where a file transfer stands: `total` bytes in all, the first `from` of which the receiver
// already holds.
struct FileRange {
    std::uint64_t from = 0;
    std::uint64_t total = 0;
    std::uint64_t Length() const { return total - from; }
};

// Sends "<length>:" and the bytes [from, total) of the open regular file `fd`. With `digest`, it
// receives the SHA-256 of the file's bytes [0, total), hashed by a second thread that reads the
// file right behind the sender. Progress counts the whole file, the bytes before `from` as done
// already. The listener's end is left to the caller, whose reply may go on after the data.
bool SendFileRange(Socket socket, int fd, FileRange range, std::string* digest,
                   const StopFlag* stop, void* context, ProgressListener* listener);

// Receives range.Length() bytes (the frame's header already read) and appends them to the open
// file `fd`, which holds the file's first range.from bytes already and is open for reading too.
// Gives the SHA-256 of the file's range.total bytes as they now are in the file, hashed by a
// second thread that reads them back right behind the writer. The listener's start and progress
// are reported, its end is left to the caller, which knows whether the file was whole.
[[nodiscard]] util::Result<std::string> ReceiveFileRange(Socket socket, int fd, FileRange range,
                                                         const StopFlag* stop, void* context,
                                                         ProgressListener* listener);

}  // namespace net
