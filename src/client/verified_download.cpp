#include "client/verified_download.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "client/partial_download.h"
#include "net/file_range.h"
#include "net/framing.h"
#include "net/part_file.h"
#include "protocol/get_request.h"
#include "util/unique_fd.h"

namespace client {
namespace {

// What the part held from an earlier attempt may continue: it came from the same host, file and
// target, and is no longer than the version it began with.
proto::GetRequest ResumeRequest(const VerifiedDownload& download, const PartialPaths& paths) {
    proto::GetRequest request;
    request.path = download.remotePath;
    const auto record = ReadPartialRecord(paths.record);
    struct stat info {};
    if (!record || record->address != download.address ||
        record->remotePath != download.remotePath || record->localPath != download.localPath ||
        ::lstat(paths.data.c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
        static_cast<std::uint64_t>(info.st_size) > record->size) {
        return request;
    }
    request.offset = static_cast<std::uint64_t>(info.st_size);
    request.size = record->size;
    request.modifiedNs = record->modifiedNs;
    return request;
}

util::Error Refused(const util::Error& error) {
    // A host that closes before its first reply has refused, as with "retrieve".
    return error.kind == util::ErrorKind::ConnectionLost
               ? util::MakeError(util::ErrorKind::RefusedByHost)
               : error;
}

// Opens the part for the data that follow `start`, for reading too (the hash reads it back): a new
// part from the start, with a record when the file is worth resuming; else the part held.
util::Result<int> OpenPart(const VerifiedDownload& download, const PartialPaths& paths,
                           const proto::GetStart& start) {
    if (start.start == 0) {
        ::unlink(paths.record.c_str());
        const int fd =
            ::open(paths.data.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0) return util::LocalFileError(errno);
        if (start.size >= kResumableMinimum) {
            WritePartialRecord(paths.record, {download.address, download.remotePath,
                                              download.localPath, start.size, start.modifiedNs});
        }
        return fd;
    }
    const int fd = ::open(paths.data.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return util::LocalFileError(errno);
    // The part may have grown past what we asked to continue from (another attempt ran
    // meanwhile): what the host sends goes right after `start`.
    if (::ftruncate(fd, static_cast<off_t>(start.start)) != 0 ||
        ::lseek(fd, 0, SEEK_END) != static_cast<off_t>(start.start)) {
        const int error = errno;
        ::close(fd);
        return util::LocalFileError(error);
    }
    return fd;
}

bool IsDigestText(const std::string& text) {
    return text.size() == proto::kDigestTextLength &&
           std::all_of(text.begin(), text.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

// A cut transfer keeps its part: the bytes it holds are the host's so far, and the digest will
// tell if they are not. Only parts too small to be worth a record go.
void KeepOrDiscard(const util::Status& outcome, std::optional<std::uint64_t> partOf,
                   const PartialPaths& paths) {
    if (outcome || !partOf || *partOf >= kResumableMinimum) return;
    ::unlink(paths.data.c_str());
    ::unlink(paths.record.c_str());
}

util::Status Exchange(net::Socket socket, const VerifiedDownload& download,
                      const PartialPaths& paths, const StopFlag* stop,
                      net::ProgressListener* progress, std::optional<std::uint64_t>& partOf) {
    const proto::GetRequest request = ResumeRequest(download, paths);
    if (!net::SendString(socket, proto::BuildGetRequest(request), stop)) {
        return util::MakeError(IsStopped(stop) ? util::ErrorKind::Stopped
                                               : util::ErrorKind::ConnectionLost);
    }
    // The host may first ask its user whether we may have the file.
    const auto reply =
        net::ReceiveReply(socket, stop, proto::kMaxGetStartLength,
                          std::max(net::FirstDataTimeout(), net::ReceiveIdleTimeout()));
    if (!reply) return Refused(reply.error());
    const auto start = proto::ParseGetStart(reply.value());
    if (!start || (start->start != 0 && start->start != request.offset)) {
        return util::MakeError(util::ErrorKind::BadReply, "no start of the file");
    }
    if (download.expectedSize && start->size != *download.expectedSize) {
        return util::MakeError(util::ErrorKind::SizeLiedAbout,
                               std::to_string(start->size) + " bytes announced, " +
                                   std::to_string(*download.expectedSize) + " listed");
    }
    const net::FileRange range{start->start, start->size};
    const auto header = net::ReceiveLengthHeader(socket, stop);
    if (!header) return header.error();
    if (header.value() != range.Length()) {
        return util::MakeError(util::ErrorKind::BadReply, "another length than announced");
    }

    const auto opened = OpenPart(download, paths, *start);
    if (!opened) return opened.error();
    util::UniqueFd part(opened.value());
    partOf = start->size;
    // The part's own bytes are hashed, those of earlier attempts included: the digest vouches for
    // exactly what takes the target's name.
    const auto hashed = net::ReceiveFileRange(socket, part.get(), range, stop, nullptr, progress);
    if (!hashed) return hashed.error();
    const auto digest = net::ReceiveReply(socket, stop, proto::kDigestTextLength);
    if (!digest) return digest.error();
    if (!IsDigestText(digest.value())) {
        return util::MakeError(util::ErrorKind::BadReply, "no digest");
    }
    if (digest.value() != hashed.value()) {
        ::unlink(paths.data.c_str());
        ::unlink(paths.record.c_str());
        return util::MakeError(util::ErrorKind::Damaged);
    }
    ::fchmod(part.get(), static_cast<mode_t>(net::detail::NewFileMode()));
    if (part.Close() != 0 || ::rename(paths.data.c_str(), download.localPath.c_str()) != 0) {
        return util::LocalFileError(errno);
    }
    ::unlink(paths.record.c_str());
    return {};
}

}  // namespace

util::Status DownloadVerified(net::Socket socket, const VerifiedDownload& download,
                              const StopFlag* stop, net::ProgressListener* progress) {
    const PartialPaths paths = PartialPathsFor(download.localPath);
    SweepStalePartialsOnce(std::filesystem::path(download.localPath).parent_path());
    std::optional<std::uint64_t> partOf;
    util::Status outcome = Exchange(socket, download, paths, stop, progress, partOf);
    KeepOrDiscard(outcome, partOf, paths);
    return outcome;
}

}  // namespace client
