// The serving half of "wdx-folder" (protocol/folder_stream.h): the selected files of one shared
// folder, read and sent one after the other on one connection, each followed by the SHA-256 of
// the bytes sent, computed while they are read.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/types.h"
#include "net/socket.h"

namespace server {

struct FolderStreamSource {
    // The folder's real location, at or below `shareRoot` (both free of symbolic links).
    std::string folder;
    std::string shareRoot;
    // Checked paths relative to the folder, "\" between names (proto::ParseSelection).
    std::vector<std::string> selection;
};

struct FolderStreamCounts {
    std::size_t filesSent = 0;
    std::uint64_t bytesSent = 0;
};

// Called about once a second while the stream runs, and once at its end.
using FolderStreamProgress = std::function<void(const FolderStreamCounts&)>;

// True when every selected file went out (changed ones included: their mark tells the peer).
// A file that cannot be sent (gone, not a regular file, or reached through a link that leaves the
// share) is answered with the refusal mark and ends the stream.
bool SendFolderStream(net::Socket socket, const FolderStreamSource& source, const StopFlag* stop,
                      const FolderStreamProgress& progress = {});

}  // namespace server
