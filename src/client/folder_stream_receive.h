// The receiving half of "wdx-folder" (protocol/folder_stream.h): asks one host for a batch of
// files and stores them one after the other, each under its hidden part name until the whole file
// has arrived and its SHA-256 equals the host's. The first failure ends the stream; the files
// stored before it stay.
#pragma once

#include <cstddef>

#include "client/stream_batch.h"
#include "core/types.h"
#include "net/progress.h"
#include "net/socket.h"
#include "util/result.h"

namespace client {

// Sends the request and the selection on a connected socket and receives the replies. Fills
// batch.filesDone and batch.bytesDone; the failure names the file it happened to, which is
// batch.files[batch.filesDone].
[[nodiscard]] util::Status ReceiveFolderStream(net::Socket socket, StreamBatch& batch,
                                               const StopFlag* stop,
                                               net::ProgressListener* listener);

// The selection line of one file: its host path relative to the root.
std::string SelectionPath(const std::string& rootPath, const std::string& remotePath);

}  // namespace client
