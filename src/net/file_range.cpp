#include "net/file_range.h"

#include <poll.h>
#include <sys/sendfile.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <vector>

#include "net/file_receive.h"
#include "net/framing.h"
#include "net/readiness.h"
#include "net/sigpipe_guard.h"
#include "net/stream_io.h"
#include "net/trailing_hash.h"
#include "net/transfer_progress.h"

namespace net {
namespace {

// Large enough for few system calls, small enough to stay in the processor's cache between the
// read and the send.
constexpr std::size_t kBlock = 256 * 1024;

// `hash`, when given, hears how far the file has gone out.
bool SendZeroCopy(Socket socket, int fd, off_t offset, std::uint64_t end, TrailingHash* hash,
                  const StopFlag* stop, detail::TransferProgress& progress) {
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
            if (hash != nullptr && !hash->Written(static_cast<std::uint64_t>(offset))) return false;
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

bool SendThroughBuffer(Socket socket, int fd, std::uint64_t offset, std::uint64_t end,
                       TrailingHash* hash, const StopFlag* stop,
                       detail::TransferProgress& progress) {
    std::vector<char> buffer(kBlock);
    while (offset < end) {
        if (detail::IsStopped(stop)) return false;
        const auto wanted =
            static_cast<std::size_t>(std::min<std::uint64_t>(end - offset, buffer.size()));
        const ssize_t got = ::pread(fd, buffer.data(), wanted, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;  // an error, or the file shrank under us
        const auto count = static_cast<std::size_t>(got);
        if (!detail::SendAll(socket, buffer.data(), count, stop)) return false;
        offset += count;
        progress.Add(count);
        if (hash != nullptr && !hash->Written(offset)) return false;
    }
    return true;
}

// Files up to this size are hashed whole on the calling thread: a thread and a block buffer of
// their own would cost many times what the file does, once per file of a folder.
constexpr std::uint64_t kHashInlineMaximum = 64 * 1024;

// The digest of the first `size` bytes of `fd`; empty when the file is shorter or unreadable.
std::optional<std::string> HashWholeFile(int fd, std::uint64_t size) {
    std::vector<char> buffer(static_cast<std::size_t>(std::max<std::uint64_t>(size, 1)));
    std::uint64_t done = 0;
    while (done < size) {
        const ssize_t got =
            ::pread(fd, buffer.data() + done, size - done, static_cast<off_t>(done));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return std::nullopt;
        done += static_cast<std::uint64_t>(got);
    }
    Sha256 hash;
    hash.Update(buffer.data(), static_cast<std::size_t>(size));
    return hash.HexDigest();
}

// Appends to the part, telling the hash (when there is one) how far the file is written.
class PartSink final : public detail::ReceiveSink {
public:
    PartSink(int fd, std::uint64_t from, TrailingHash* hash) : fd_(fd), from_(from), hash_(hash) {}
    int Descriptor() const override { return fd_; }
    util::Status BeforeWrite(std::uint64_t /*upTo*/, std::uint64_t /*length*/) override {
        return {};
    }
    util::Status AfterWrite(std::uint64_t upTo) override {
        return hash_ != nullptr ? hash_->Written(from_ + upTo) : util::Status{};
    }

private:
    int fd_;
    std::uint64_t from_;
    TrailingHash* hash_;
};

}  // namespace

bool SendFileRange(Socket socket, int fd, FileRange range, std::string* digest,
                   const StopFlag* stop, void* context, ProgressListener* listener) {
    detail::TransferProgress progress(listener, context, range.total);
    progress.Start();
    progress.Skip(range.from);
    // The hash reads the file on a thread of its own, so the data can go out zero-copy meanwhile.
    std::optional<TrailingHash> hash;
    if (digest != nullptr && range.total <= kHashInlineMaximum) {
        auto whole = HashWholeFile(fd, range.total);
        if (!whole) return false;
        *digest = std::move(*whole);
    } else if (digest != nullptr) {
        hash.emplace(fd, range.from, stop);
    }
    TrailingHash* const tellHash = hash ? &*hash : nullptr;
    const std::string header = LengthHeader(range.Length());
    bool success = detail::SendAll(socket, header.data(), header.size(), stop);
    if (success && detail::IsNonBlocking(socket)) {
        success = SendZeroCopy(socket, fd, static_cast<off_t>(range.from), range.total, tellHash,
                               stop, progress);
    } else if (success) {
        // sendfile on a blocking socket would wait past the stop flag.
        success = SendThroughBuffer(socket, fd, range.from, range.total, tellHash, stop, progress);
    }
    if (success && hash) {
        auto hashed = hash->Finish();
        success = hashed.ok();
        if (success) *digest = std::move(hashed.value());
    }
    return success && !detail::IsStopped(stop);
}

util::Result<std::string> ReceiveFileRange(Socket socket, int fd, FileRange range,
                                           const StopFlag* stop, void* context,
                                           ProgressListener* listener) {
    detail::TransferProgress progress(listener, context, range.total);
    progress.Start();
    progress.Skip(range.from);
    // Hashing the file rather than the bytes on their way checks what will take the target's name,
    // and lets the data go from the socket to the file without passing through user space.
    // A small file is cheaper to read once more when it is all there.
    std::optional<TrailingHash> hash;
    if (range.total > kHashInlineMaximum) hash.emplace(fd, range.from, stop);
    PartSink sink(fd, range.from, hash ? &*hash : nullptr);
    if (util::Status received =
            detail::ReceiveIntoSink(socket, sink, range.Length(), stop, progress);
        !received) {
        return received.error();
    }
    if (detail::IsStopped(stop)) return util::MakeError(util::ErrorKind::Stopped);
    if (hash) return hash->Finish();
    auto whole = HashWholeFile(fd, range.total);
    if (!whole) return util::LocalFileError(EIO);
    return std::move(*whole);
}

}  // namespace net
