#include "net/file_range.h"

#include <poll.h>
#include <sys/sendfile.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <vector>

#include "net/framing.h"
#include "net/part_file.h"
#include "net/rate_limiter.h"
#include "net/readiness.h"
#include "net/sigpipe_guard.h"
#include "net/stream_io.h"
#include "net/transfer_progress.h"

namespace net {
namespace {

// Large enough for few system calls, small enough to stay in the processor's cache between the
// hash and the copy.
constexpr std::size_t kBlock = 256 * 1024;

bool SendZeroCopy(Socket socket, int fd, off_t offset, std::uint64_t end, const StopFlag* stop,
                  detail::TransferProgress& progress) {
    detail::SigpipeGuard pipeGuard;
    auto lastProgress = detail::Clock::now();
    while (static_cast<std::uint64_t>(offset) < end) {
        if (detail::IsStopped(stop)) return false;
        const auto chunk = static_cast<std::size_t>(
            std::min<std::uint64_t>(end - static_cast<std::uint64_t>(offset), kSendChunk));
        const off_t before = offset;
        const ssize_t sent = ::sendfile(socket, fd, &offset, chunk);
        if (sent > 0) {
            progress.Add(static_cast<std::uint64_t>(offset - before));
            lastProgress = detail::Clock::now();
            continue;
        }
        if (sent == 0) return false;  // the file shrank under us
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) return false;
        const long long left = ReceiveIdleTimeout() - detail::MillisecondsSince(lastProgress);
        if (left <= 0 || detail::WaitForSocket(socket, POLLOUT, stop, static_cast<int>(left)) !=
                             detail::Readiness::Ready) {
            return false;
        }
    }
    return true;
}

bool SendThroughHash(Socket socket, int fd, std::uint64_t offset, std::uint64_t end, Sha256& hash,
                     const StopFlag* stop, detail::TransferProgress& progress) {
    std::vector<char> buffer(kBlock);
    while (offset < end) {
        if (detail::IsStopped(stop)) return false;
        const auto wanted =
            static_cast<std::size_t>(std::min<std::uint64_t>(end - offset, buffer.size()));
        const ssize_t got = ::pread(fd, buffer.data(), wanted, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;  // an error, or the file shrank under us
        const auto count = static_cast<std::size_t>(got);
        hash.Update(buffer.data(), count);
        if (!detail::SendAll(socket, buffer.data(), count, stop)) return false;
        offset += count;
        progress.Add(count);
    }
    return true;
}

}  // namespace

bool SendFileRange(Socket socket, int fd, FileRange range, Sha256* hash, const StopFlag* stop,
                   void* context, ProgressListener* listener) {
    detail::TransferProgress progress(listener, context, range.total);
    progress.Start();
    progress.Skip(range.from);
    const std::string header = LengthHeader(range.Length());
    bool success = detail::SendAll(socket, header.data(), header.size(), stop);
    if (success && hash != nullptr) {
        success = SendThroughHash(socket, fd, range.from, range.total, *hash, stop, progress);
    } else if (success && detail::IsNonBlocking(socket)) {
        success =
            SendZeroCopy(socket, fd, static_cast<off_t>(range.from), range.total, stop, progress);
    } else if (success) {
        // sendfile on a blocking socket would wait past the stop flag.
        Sha256 unused;
        success = SendThroughHash(socket, fd, range.from, range.total, unused, stop, progress);
    }
    return success && !detail::IsStopped(stop);
}

util::Status ReceiveFileRange(Socket socket, int fd, FileRange range, Sha256& hash,
                              const StopFlag* stop, void* context, ProgressListener* listener) {
    detail::TransferProgress progress(listener, context, range.total);
    progress.Start();
    progress.Skip(range.from);
    std::vector<char> buffer(static_cast<std::size_t>(
        std::min<std::uint64_t>(std::max<std::uint64_t>(range.Length(), 1), kBlock)));
    std::uint64_t received = 0;
    while (received < range.Length()) {
        const auto wanted = DownloadRateLimiter().BlockSize(static_cast<std::size_t>(
            std::min<std::uint64_t>(range.Length() - received, buffer.size())));
        const auto got =
            detail::ReceiveAvailable(socket, buffer.data(), wanted, stop, ReceiveIdleTimeout());
        if (!got) return got.error();
        hash.Update(buffer.data(), got.value());
        if (util::Status written = detail::WriteAll(fd, buffer.data(), got.value()); !written) {
            return written;
        }
        received += got.value();
        progress.Add(got.value());
        if (!PaceDownload(got.value(), stop)) return util::MakeError(util::ErrorKind::Stopped);
    }
    if (detail::IsStopped(stop)) return util::MakeError(util::ErrorKind::Stopped);
    return {};
}

}  // namespace net
