// Moves a file's payload from a socket into a part file: through a pipe with splice, so that the
// data never pass through user space, or with plain reads and writes where the kernel cannot.
#pragma once

#include <cstdint>

#include "core/types.h"
#include "net/part_file.h"
#include "net/socket.h"
#include "net/transfer_progress.h"
#include "util/result.h"

namespace net::detail {

util::Status ReceiveIntoFile(Socket socket, PartFile& file, std::uint64_t length,
                             const StopFlag* stop, TransferProgress& progress);

// Only the plain path, for tests that must cover it on systems where splice works.
util::Status ReceiveIntoFileCopying(Socket socket, PartFile& file, std::uint64_t length,
                                    std::uint64_t received, const StopFlag* stop,
                                    TransferProgress& progress);

}  // namespace net::detail
