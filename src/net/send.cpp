#include <fcntl.h>
#include <poll.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "net/framing.h"
#include "net/readiness.h"
#include "net/sigpipe_guard.h"
#include "net/stream_io.h"
#include "net/transfer_progress.h"
#include "util/error_text.h"
#include "util/trace.h"
#include "util/unique_fd.h"

namespace net {
namespace {

using detail::TransferProgress;

bool SendHeader(Socket socket, std::uint64_t length, const StopFlag* stop) {
    const std::string header = LengthHeader(length);
    return detail::SendAll(socket, header.data(), header.size(), stop);
}

bool SendBlockBody(Socket socket, const char* block, std::uint64_t length, const StopFlag* stop,
                   TransferProgress& progress) {
    std::uint64_t offset = 0;
    while (offset < length) {
        if (detail::IsStopped(stop)) return false;
        const auto chunk =
            static_cast<std::size_t>(std::min<std::uint64_t>(length - offset, kSendChunk));
        if (!detail::SendAll(socket, block + offset, chunk, stop)) return false;
        offset += chunk;
        progress.Add(chunk);
    }
    return true;
}

// Copies through user space: for sockets left blocking (sendfile would block past the stop flag)
// and for files that sendfile cannot read.
bool SendFileChunkByCopy(Socket socket, int file, off_t& offset, std::size_t chunk,
                         std::vector<char>& buffer, const StopFlag* stop) {
    buffer.resize(kSendChunk);
    std::size_t filled = 0;
    while (filled < chunk) {
        const ssize_t got = ::pread(file, buffer.data() + filled, chunk - filled,
                                    offset + static_cast<off_t>(filled));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;  // an error, or the file shrank under us
        filled += static_cast<std::size_t>(got);
    }
    if (!detail::SendAll(socket, buffer.data(), chunk, stop)) return false;
    offset += static_cast<off_t>(chunk);
    return true;
}

enum class ZeroCopy { Sent, Unsupported, Failed };

ZeroCopy SendFileChunkZeroCopy(Socket socket, int file, off_t& offset, std::size_t chunk,
                               const StopFlag* stop) {
    std::size_t sent = 0;
    auto lastProgress = detail::Clock::now();
    while (sent < chunk) {
        if (detail::IsStopped(stop)) return ZeroCopy::Failed;
        const ssize_t result = ::sendfile(socket, file, &offset, chunk - sent);
        if (result > 0) {
            sent += static_cast<std::size_t>(result);
            lastProgress = detail::Clock::now();
            continue;
        }
        if (result == 0) return ZeroCopy::Failed;  // the file shrank under us
        if (errno == EINTR) continue;
        if ((errno == EINVAL || errno == ENOSYS) && sent == 0) return ZeroCopy::Unsupported;
        if (errno != EAGAIN && errno != EWOULDBLOCK) return ZeroCopy::Failed;
        const long long left = ReceiveIdleTimeout() - detail::MillisecondsSince(lastProgress);
        if (left <= 0) return ZeroCopy::Failed;
        if (detail::WaitForSocket(socket, POLLOUT, stop, static_cast<int>(left)) !=
            detail::Readiness::Ready) {
            return ZeroCopy::Failed;
        }
    }
    return ZeroCopy::Sent;
}

bool SendFileBody(Socket socket, int file, std::uint64_t length, const StopFlag* stop,
                  TransferProgress& progress) {
    bool zeroCopy = detail::IsNonBlocking(socket);
    // sendfile raises SIGPIPE when the peer has reset the connection.
    std::optional<detail::SigpipeGuard> pipeGuard;
    if (zeroCopy) pipeGuard.emplace();
    std::vector<char> buffer;
    off_t offset = 0;
    while (static_cast<std::uint64_t>(offset) < length) {
        if (detail::IsStopped(stop)) return false;
        const auto chunk = static_cast<std::size_t>(
            std::min<std::uint64_t>(length - static_cast<std::uint64_t>(offset), kSendChunk));
        if (zeroCopy) {
            const ZeroCopy result = SendFileChunkZeroCopy(socket, file, offset, chunk, stop);
            if (result == ZeroCopy::Failed) return false;
            if (result == ZeroCopy::Unsupported) zeroCopy = false;
        }
        if (!zeroCopy && !SendFileChunkByCopy(socket, file, offset, chunk, buffer, stop)) {
            return false;
        }
        progress.Add(chunk);
    }
    return true;
}

bool SendBody(Socket socket, const char* block, int file, std::uint64_t length,
              const StopFlag* stop, TransferProgress& progress) {
    if (!SendHeader(socket, length, stop) || detail::IsStopped(stop)) return false;
    if (block != nullptr) return SendBlockBody(socket, block, length, stop, progress);
    return SendFileBody(socket, file, length, stop, progress);
}

}  // namespace

bool SendData(Socket socket, const void* block, std::uint64_t length, const std::string& fileName,
              const StopFlag* stop, void* context, ProgressListener* listener) {
    const auto* bytes = static_cast<const char*>(block);
    util::UniqueFd file(-1);
    if (bytes == nullptr && !fileName.empty()) {
        // Without O_NONBLOCK the open of a named pipe waits for a writer, beyond any stop flag.
        file.reset(::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
        struct stat info {};
        if (file.get() < 0 || ::fstat(file.get(), &info) != 0) {
            XUTIL_DIAG("cannot open %s for sending: %s\n", fileName.c_str(),
                       util::ErrorText(errno).c_str());
            file.reset(-1);
        } else if (!S_ISREG(info.st_mode)) {
            XUTIL_DIAG("cannot send %s: not a regular file\n", fileName.c_str());
            file.reset(-1);
        } else {
            length = static_cast<std::uint64_t>(info.st_size);
            // Reads of a regular file should wait for a slow disk rather than fail.
            ::fcntl(file.get(), F_SETFL, ::fcntl(file.get(), F_GETFL) & ~O_NONBLOCK);
        }
    }
    TransferProgress progress(listener, context, length);
    progress.Start();
    const bool success = (bytes != nullptr || file.get() >= 0) &&
                         SendBody(socket, bytes, file.get(), length, stop, progress) &&
                         !detail::IsStopped(stop);
    progress.End(success);
    return success;
}

bool SendString(Socket socket, std::string_view text, const StopFlag* stop) {
    // An empty view may carry no pointer at all, which would read as "send a file".
    const char* bytes = text.empty() ? "" : text.data();
    return SendData(socket, bytes, text.size(), {}, stop, nullptr, nullptr);
}

bool SendFile(Socket socket, const std::string& fileName, const StopFlag* stop, void* context,
              ProgressListener* listener) {
    return SendData(socket, nullptr, 0, fileName, stop, context, listener);
}

}  // namespace net
