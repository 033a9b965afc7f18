#include "server/file_version_send.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "net/file_range.h"
#include "net/framing.h"
#include "net/sha256.h"
#include "util/error_text.h"
#include "util/trace.h"
#include "util/unique_fd.h"

namespace server {
namespace {

// Files up to this size are hashed before they are sent (see SendDataAndDigest).
constexpr std::uint64_t kHashFirstMaximum = 64 * 1024;

std::int64_t ModifiedNs(const struct stat& info) {
    return static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
}

FileVersion VersionOf(const std::string& path, const struct stat& info) {
    return {path, static_cast<std::uint64_t>(info.st_size), ModifiedNs(info),
            static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

// The client's part is the beginning of this very version: the same size and modification time
// that the client recorded from our first reply, and no longer than the file.
std::uint64_t StartFor(const proto::GetRequest& asked, const FileVersion& version) {
    const bool same = asked.size == version.size && asked.modifiedNs == version.modifiedNs;
    return same && asked.offset <= version.size ? asked.offset : 0;
}

void ReportRefusal(void* context, net::ProgressListener* listener) {
    if (listener == nullptr) return;
    listener->OnTransferStart(context);
    listener->OnTransferEnd(context, false);
}

// The data frame and the digest. The first send of a large version hashes what it sends; a
// resumed one reads the part the client holds once more, here, instead of the whole file. A small
// file is hashed whole first and then sent without passing through our memory: hashing while
// sending goes through a block buffer sized for large files, whose set-up costs many times what a
// file of a few KiB does, once for every file of a folder fetched file by file.
bool SendDataAndDigest(net::Socket socket, int fd, const FileVersion& version, net::FileRange range,
                       FileDigests& digests, const StopFlag* stop, void* context,
                       net::ProgressListener* listener) {
    std::optional<std::string> digest = digests.Find(version);
    net::Sha256 hash;
    if (!digest) {
        const bool small = range.from == 0 && version.size <= kHashFirstMaximum;
        if (!net::HashFilePrefix(fd, small ? version.size : range.from, hash, stop)) {
            if (listener != nullptr) listener->OnTransferStart(context);
            return false;
        }
        if (small) digest = hash.HexDigest();
    }
    if (!net::SendFileRange(socket, fd, range, digest ? nullptr : &hash, stop, context, listener)) {
        return false;
    }
    if (!digest) digest = hash.HexDigest();
    // A file written while it was sent reached the client as a mix of versions: a digest that
    // nothing matches makes the client fetch it again instead of keeping the mix.
    struct stat after {};
    if (::fstat(fd, &after) != 0 || !(VersionOf(version.path, after) == version)) {
        return net::SendString(socket, std::string(proto::kDigestTextLength, '0'), stop);
    }
    digests.Store(version, *digest);
    return net::SendString(socket, *digest, stop);
}

}  // namespace

bool SendFileVersion(net::Socket socket, const std::string& localPath,
                     const proto::GetRequest& asked, FileDigests& digests, const StopFlag* stop,
                     void* context, net::ProgressListener* listener) {
    // Without O_NONBLOCK the open of a named pipe waits for a writer, beyond any stop flag.
    const util::UniqueFd file(::open(localPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat info {};
    if (file.get() < 0 || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        XUTIL_DIAG("cannot send %s: %s\n", localPath.c_str(),
                   file.get() < 0 ? util::ErrorText(errno).c_str() : "not a regular file");
        ReportRefusal(context, listener);
        return false;
    }
    // Reads of a regular file should wait for a slow disk rather than fail.
    ::fcntl(file.get(), F_SETFL, ::fcntl(file.get(), F_GETFL) & ~O_NONBLOCK);
    const FileVersion version = VersionOf(localPath, info);
    const net::FileRange range{StartFor(asked, version), version.size};
    if (!net::SendString(
            socket, proto::EncodeGetStart({range.from, version.size, version.modifiedNs}), stop)) {
        ReportRefusal(context, listener);
        return false;
    }

    const bool sent =
        SendDataAndDigest(socket, file.get(), version, range, digests, stop, context, listener);
    // Reported last: the front end may free the upload's stop flag once it hears of the end.
    if (listener != nullptr) listener->OnTransferEnd(context, sent);
    return sent;
}

}  // namespace server
