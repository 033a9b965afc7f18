// Moves a file's payload from a socket into a file: through a pipe with splice, so that the data
// never pass through user space, or with plain reads and writes where the kernel cannot.
#pragma once

#include <cstdint>

#include "core/types.h"
#include "net/part_file.h"
#include "net/socket.h"
#include "net/transfer_progress.h"
#include "util/result.h"

namespace net::detail {

// Where a payload goes: an open file, asked before each piece is written and told after. Offsets
// count the payload's bytes from its first.
class ReceiveSink {
public:
    virtual int Descriptor() const = 0;
    // The payload's first `upTo` of `length` bytes are about to be in the file.
    virtual util::Status BeforeWrite(std::uint64_t upTo, std::uint64_t length) = 0;
    // They are in the file now; an error ends the transfer.
    virtual util::Status AfterWrite(std::uint64_t upTo) = 0;

protected:
    ~ReceiveSink() = default;
};

util::Status ReceiveIntoSink(Socket socket, ReceiveSink& sink, std::uint64_t length,
                             const StopFlag* stop, TransferProgress& progress);

// A temporary file, with its space claimed ahead of the data.
util::Status ReceiveIntoFile(Socket socket, PartFile& file, std::uint64_t length,
                             const StopFlag* stop, TransferProgress& progress);

// Only the plain path, for tests that must cover it on systems where splice works.
util::Status ReceiveIntoSinkCopying(Socket socket, ReceiveSink& sink, std::uint64_t length,
                                    std::uint64_t received, const StopFlag* stop,
                                    TransferProgress& progress);

}  // namespace net::detail
