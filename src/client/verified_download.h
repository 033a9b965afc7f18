// One file over "wdx-get": continued from the part an earlier attempt left when the host still has
// the same version of the file, and checked against the host's SHA-256 of the whole file before
// it takes the target's name.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/types.h"
#include "net/progress.h"
#include "net/socket.h"
#include "util/result.h"

namespace client {

struct VerifiedDownload {
    Ipv4 address = 0;
    std::string remotePath;
    std::string localPath;
    // The size the listing showed: a host announcing another fails before anything is written.
    std::optional<std::uint64_t> expectedSize;
};

// Files smaller than this are not worth a record: a cut one starts over.
inline constexpr std::uint64_t kResumableMinimum = 1024 * 1024;

// Runs the exchange on `socket` (connected, nothing sent yet). Ok means the file arrived whole,
// matched the host's digest and replaced the target. A cut transfer keeps its part for the next
// attempt; a mismatch (ErrorKind::Damaged) discards it and leaves the target untouched.
util::Status DownloadVerified(net::Socket socket, const VerifiedDownload& download,
                              const StopFlag* stop, net::ProgressListener* progress);

}  // namespace client
