#include "net/trailing_hash.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace net {
namespace {

// Large enough for few system calls, small enough to stay in the processor's cache between the
// copy and the hash.
constexpr std::size_t kReadSize = 256 * 1024;
// How far the writer may run ahead. The hasher keeps up on any machine with a second core; on a
// busy one this keeps what it reads in the page cache and the part that a failure would leave
// unhashed small.
constexpr std::uint64_t kMaxLag = 32 * 1024 * 1024;

}  // namespace

TrailingHash::TrailingHash(int fd, std::uint64_t written, const StopFlag* stop)
    : fd_(fd), stop_(stop), before_(written), written_(written), thread_([this] { Run(); }) {}

TrailingHash::~TrailingHash() {
    Abandon();
    if (thread_.joinable()) thread_.join();
}

void TrailingHash::Abandon() {
    const std::lock_guard guard(lock_);
    abandoned_ = true;
    changed_.notify_all();
}

util::Status TrailingHash::Written(std::uint64_t written) {
    std::unique_lock guard(lock_);
    written_ = written;
    changed_.notify_all();
    changed_.wait(guard,
                  [&] { return failure_ || hashed_ < before_ || written_ - hashed_ <= kMaxLag; });
    if (failure_) return *failure_;
    return {};
}

util::Result<std::string> TrailingHash::Finish() {
    {
        const std::lock_guard guard(lock_);
        finished_ = true;
        changed_.notify_all();
    }
    thread_.join();
    if (failure_) return *failure_;
    return hash_.HexDigest();
}

bool TrailingHash::Publish(std::uint64_t hashed) {
    const std::lock_guard guard(lock_);
    hashed_ = hashed;
    changed_.notify_all();
    return !abandoned_;
}

void TrailingHash::Fail(util::Error error) {
    const std::lock_guard guard(lock_);
    failure_ = std::move(error);
    changed_.notify_all();
}

void TrailingHash::Run() {
    std::vector<char> buffer(kReadSize);
    std::uint64_t hashed = 0;
    for (;;) {
        std::uint64_t upTo = 0;
        {
            std::unique_lock guard(lock_);
            changed_.wait(guard, [&] { return abandoned_ || finished_ || written_ > hashed; });
            if (abandoned_ || written_ <= hashed) return;
            upTo = written_;
        }
        while (hashed < upTo) {
            if (IsStopped(stop_)) return Fail(util::MakeError(util::ErrorKind::Stopped));
            const auto wanted =
                static_cast<std::size_t>(std::min<std::uint64_t>(upTo - hashed, buffer.size()));
            const ssize_t got = ::pread(fd_, buffer.data(), wanted, static_cast<off_t>(hashed));
            if (got < 0 && errno == EINTR) continue;
            // Fewer bytes than were written: the file was cut short behind our back.
            if (got <= 0) return Fail(util::LocalFileError(got < 0 ? errno : EIO));
            hash_.Update(buffer.data(), static_cast<std::size_t>(got));
            hashed += static_cast<std::uint64_t>(got);
            // A writer that failed waits for us in its destructor: a long resumed part ends here.
            if (!Publish(hashed)) return;
        }
    }
}

}  // namespace net
