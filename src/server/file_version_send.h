// The share server's side of "wdx-get": the file from where the client's part ends when the client
// proves it holds the same version, else from the start, then the digest of the whole file.
#pragma once

#include <string>

#include "core/types.h"
#include "net/progress.h"
#include "net/socket.h"
#include "protocol/get_request.h"
#include "server/file_digests.h"

namespace server {

// `localPath` is the resolved file inside a share. Closes without a byte (false) when it is no
// regular file that can be read, like "retrieve". The progress listener sees one upload.
bool SendFileVersion(net::Socket socket, const std::string& localPath,
                     const proto::GetRequest& asked, FileDigests& digests, const StopFlag* stop,
                     void* context, net::ProgressListener* listener);

}  // namespace server
