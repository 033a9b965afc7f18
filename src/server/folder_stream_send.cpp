#include "server/folder_stream_send.h"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "net/framing.h"
#include "net/sha256.h"
#include "net/stream_io.h"
#include "protocol/folder_stream.h"
#include "server/share_paths.h"
#include "util/unique_fd.h"

namespace server {
namespace {

// Small files are gathered into one send of this size: a send per file would cost more than the
// file itself.
constexpr std::size_t kBatchBytes = 256 * 1024;
constexpr std::size_t kReadStep = 1024 * 1024;
constexpr auto kProgressPeriod = std::chrono::seconds(1);

class StreamWriter {
public:
    StreamWriter(net::Socket socket, const StopFlag* stop) : socket_(socket), stop_(stop) {
        buffer_.reserve(kBatchBytes + kReadStep);
    }

    bool Flush() {
        if (buffer_.empty()) return true;
        const bool sent = net::detail::SendAll(socket_, buffer_.data(), buffer_.size(), stop_);
        buffer_.clear();
        return sent;
    }
    bool FlushIfFull() { return buffer_.size() < kBatchBytes || Flush(); }

    void Append(const void* data, std::size_t size) {
        const auto* bytes = static_cast<const char*>(data);
        buffer_.insert(buffer_.end(), bytes, bytes + size);
    }
    // Room for `size` more bytes at the end, to read into; Shrink gives back what was not filled.
    char* Extend(std::size_t size) {
        const std::size_t used = buffer_.size();
        buffer_.resize(used + size);
        return buffer_.data() + used;
    }
    void Shrink(std::size_t unused) { buffer_.resize(buffer_.size() - unused); }

private:
    net::Socket socket_;
    const StopFlag* stop_;
    std::vector<char> buffer_;
};

// Opens a selected file below the folder. Without a symbolic link on the way (the common case) the
// kernel resolves the path below the folder's descriptor in one call; a path through a link is
// followed to its real location and opened only when that lies inside the share, as a listing
// shows it.
int OpenInsideShare(const FolderStreamSource& source, int folderFd, const std::string& relative) {
    std::string path;
    path.reserve(relative.size());
    for (const char c : relative) path += c == '\\' ? '/' : c;
    if (folderFd >= 0) {
        open_how how{};
        how.flags = O_RDONLY | O_CLOEXEC | O_NOFOLLOW;
        how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
        const long fd = ::syscall(SYS_openat2, folderFd, path.c_str(), &how, sizeof how);
        if (fd >= 0) return static_cast<int>(fd);
        // ELOOP: a link on the way; ENOSYS: an older kernel. Either way the long road decides.
        if (errno != ELOOP && errno != ENOSYS && errno != EXDEV) return -1;
    }
    std::string real;
    if (!RealLocation(source.folder + "/" + path, real) || !IsWithin(real, source.shareRoot)) {
        return -1;
    }
    return ::open(real.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
}

bool SameVersion(const struct stat& before, const struct stat& after) {
    return before.st_size == after.st_size && before.st_mtim.tv_sec == after.st_mtim.tv_sec &&
           before.st_mtim.tv_nsec == after.st_mtim.tv_nsec;
}

// Sends one opened file: its size, its bytes (padded with zeros when it ends early), its mark and
// digest. False when the connection failed.
bool SendOneFile(StreamWriter& writer, int fd, const struct stat& info, net::Sha256& digest,
                 std::uint64_t& bytesSent, const StopFlag* stop) {
    const auto size = static_cast<std::uint64_t>(info.st_size);
    const std::string header = net::LengthHeader(size);
    writer.Append(header.data(), header.size());
    digest.Reset();
    bool changed = false;
    std::uint64_t done = 0;
    while (done < size) {
        if (IsStopped(stop)) return false;
        const auto step = static_cast<std::size_t>(std::min<std::uint64_t>(size - done, kReadStep));
        char* room = writer.Extend(step);
        std::size_t filled = 0;
        while (filled < step && !changed) {
            const ssize_t got = ::read(fd, room + filled, step - filled);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) {
                // Shorter than announced: the peer still gets the length it was promised, and
                // the mark tells it to throw the file away.
                changed = true;
                break;
            }
            filled += static_cast<std::size_t>(got);
        }
        if (filled < step) std::memset(room + filled, 0, step - filled);
        digest.Update(room, step);
        done += step;
        bytesSent += step;
        if (!writer.FlushIfFull()) return false;
    }
    struct stat after {};
    if (::fstat(fd, &after) != 0 || !SameVersion(info, after)) changed = true;
    const char mark = changed ? proto::kStreamFileChanged : proto::kStreamFileWhole;
    const std::string sum = digest.HexDigest();
    writer.Append(&mark, 1);
    writer.Append(sum.data(), sum.size());
    return writer.FlushIfFull();
}

}  // namespace

bool SendFolderStream(net::Socket socket, const FolderStreamSource& source, const StopFlag* stop,
                      const FolderStreamProgress& progress) {
    const util::UniqueFd folder(::open(source.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    StreamWriter writer(socket, stop);
    net::Sha256 digest;
    FolderStreamCounts counts;
    auto lastReport = std::chrono::steady_clock::now();
    for (const std::string& relative : source.selection) {
        if (IsStopped(stop)) return false;
        const util::UniqueFd file(OpenInsideShare(source, folder.get(), relative));
        struct stat info {};
        if (file.get() < 0 || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
            writer.Append(&proto::kStreamFileRefused, 1);
            writer.Flush();
            return false;
        }
        if (!SendOneFile(writer, file.get(), info, digest, counts.bytesSent, stop)) return false;
        ++counts.filesSent;
        if (progress && std::chrono::steady_clock::now() - lastReport >= kProgressPeriod) {
            lastReport = std::chrono::steady_clock::now();
            progress(counts);
        }
    }
    const bool sent = writer.Flush();
    if (progress) progress(counts);
    return sent;
}

}  // namespace server
