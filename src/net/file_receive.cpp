#include "net/file_receive.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "net/framing.h"
#include "net/rate_limiter.h"
#include "net/readiness.h"
#include "net/stream_io.h"

namespace net::detail {
namespace {

// Large enough that a fast sender needs few wake-ups, small enough that a stop waits little.
constexpr std::size_t kMoveSize = 1024 * 1024;

class Pipe {
public:
    Pipe() {
        if (::pipe2(ends_, O_CLOEXEC | O_NONBLOCK) != 0) ends_[0] = ends_[1] = -1;
    }
    ~Pipe() {
        if (ends_[0] >= 0) ::close(ends_[0]);
        if (ends_[1] >= 0) ::close(ends_[1]);
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;

    bool Valid() const { return ends_[0] >= 0; }
    int ReadEnd() const { return ends_[0]; }
    int WriteEnd() const { return ends_[1]; }

    // The most one splice can move; the kernel may grant less than asked for.
    std::size_t Grow() {
        ::fcntl(ends_[1], F_SETPIPE_SZ, static_cast<int>(kMoveSize));
        const int size = ::fcntl(ends_[1], F_GETPIPE_SZ);
        return size > 0 ? static_cast<std::size_t>(size) : 65536;
    }

private:
    int ends_[2];
};

// Writes `count` bytes waiting in the pipe into the file. Some file systems take no splice; then
// the bytes are copied through a buffer and `fileTakesSplice` turns false for the rest.
util::Status EmptyPipe(const Pipe& pipe, int fd, std::size_t count, bool& fileTakesSplice) {
    while (count > 0 && fileTakesSplice) {
        const ssize_t moved = ::splice(pipe.ReadEnd(), nullptr, fd, nullptr, count, SPLICE_F_MOVE);
        if (moved > 0) {
            count -= static_cast<std::size_t>(moved);
            continue;
        }
        if (moved < 0 && errno == EINTR) continue;
        if (moved < 0 && (errno == EINVAL || errno == ENOSYS)) {
            fileTakesSplice = false;
            break;
        }
        return util::LocalFileError(moved < 0 ? errno : ENOSPC);
    }
    std::vector<char> buffer(std::min(count, kMoveSize));
    while (count > 0) {
        const ssize_t got = ::read(pipe.ReadEnd(), buffer.data(), std::min(count, buffer.size()));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return util::LocalFileError(got < 0 ? errno : EIO);
        if (util::Status written = WriteAll(fd, buffer.data(), static_cast<std::size_t>(got));
            !written) {
            return written;
        }
        count -= static_cast<std::size_t>(got);
    }
    return {};
}

class PartFileSink final : public ReceiveSink {
public:
    explicit PartFileSink(PartFile& file) : file_(file) {}
    int Descriptor() const override { return file_.Descriptor(); }
    util::Status BeforeWrite(std::uint64_t upTo, std::uint64_t length) override {
        return file_.ReserveAhead(upTo, length);
    }
    util::Status AfterWrite(std::uint64_t /*upTo*/) override { return {}; }

private:
    PartFile& file_;
};

}  // namespace

util::Status ReceiveIntoSinkCopying(Socket socket, ReceiveSink& sink, std::uint64_t length,
                                    std::uint64_t received, const StopFlag* stop,
                                    TransferProgress& progress) {
    std::vector<char> buffer(
        static_cast<std::size_t>(std::min<std::uint64_t>(length - received, kMoveSize)));
    while (received < length) {
        const auto wanted = DownloadRateLimiter().BlockSize(
            static_cast<std::size_t>(std::min<std::uint64_t>(length - received, buffer.size())));
        const auto got =
            ReceiveAvailable(socket, buffer.data(), wanted, stop, ReceiveIdleTimeout());
        if (!got) return got.error();
        if (util::Status claimed = sink.BeforeWrite(received + got.value(), length); !claimed) {
            return claimed;
        }
        if (util::Status written = WriteAll(sink.Descriptor(), buffer.data(), got.value());
            !written) {
            return written;
        }
        received += got.value();
        if (util::Status told = sink.AfterWrite(received); !told) return told;
        progress.Add(got.value());
        if (!PaceDownload(got.value(), stop)) return util::MakeError(util::ErrorKind::Stopped);
    }
    return {};
}

util::Status ReceiveIntoFile(Socket socket, PartFile& file, std::uint64_t length,
                             const StopFlag* stop, TransferProgress& progress) {
    PartFileSink sink(file);
    return ReceiveIntoSink(socket, sink, length, stop, progress);
}

util::Status ReceiveIntoSink(Socket socket, ReceiveSink& sink, std::uint64_t length,
                             const StopFlag* stop, TransferProgress& progress) {
    Pipe pipe;
    // splice on a blocking socket would wait without looking at the stop flag.
    if (!pipe.Valid() || !IsNonBlocking(socket)) {
        return ReceiveIntoSinkCopying(socket, sink, length, 0, stop, progress);
    }
    const std::size_t pipeSize = pipe.Grow();
    bool fileTakesSplice = true;
    std::uint64_t received = 0;
    auto lastData = Clock::now();
    while (received < length) {
        if (!fileTakesSplice) {
            return ReceiveIntoSinkCopying(socket, sink, length, received, stop, progress);
        }
        if (IsStopped(stop)) return util::MakeError(util::ErrorKind::Stopped);
        const auto wanted = DownloadRateLimiter().BlockSize(
            static_cast<std::size_t>(std::min<std::uint64_t>(length - received, pipeSize)));
        const ssize_t moved = ::splice(socket, nullptr, pipe.WriteEnd(), nullptr, wanted,
                                       SPLICE_F_MOVE | SPLICE_F_NONBLOCK);
        if (moved > 0) {
            const auto count = static_cast<std::size_t>(moved);
            if (util::Status claimed = sink.BeforeWrite(received + count, length); !claimed) {
                return claimed;
            }
            if (util::Status stored = EmptyPipe(pipe, sink.Descriptor(), count, fileTakesSplice);
                !stored) {
                return stored;
            }
            received += count;
            if (util::Status told = sink.AfterWrite(received); !told) return told;
            progress.Add(count);
            if (!PaceDownload(count, stop)) return util::MakeError(util::ErrorKind::Stopped);
            lastData = Clock::now();
            continue;
        }
        if (moved == 0) return ConnectionError(0);
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            if (util::Status ready = WaitForData(socket, stop, lastData, ReceiveIdleTimeout());
                !ready) {
                return ready;
            }
            continue;
        }
        if ((errno == EINVAL || errno == ENOSYS) && received == 0) {
            return ReceiveIntoSinkCopying(socket, sink, length, 0, stop, progress);
        }
        return ConnectionError(errno);
    }
    return {};
}

}  // namespace net::detail
