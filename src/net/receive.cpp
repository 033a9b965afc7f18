#include <algorithm>
#include <string>
#include <vector>

#include "net/file_receive.h"
#include "net/framing.h"
#include "net/part_file.h"
#include "net/readiness.h"
#include "net/stream_io.h"
#include "net/transfer_progress.h"

namespace net {
namespace {

using detail::TransferProgress;

// The header allows 63 characters before the colon: one more is a failed read.
constexpr std::size_t kHeaderCapacity = 64;
// A text's buffer starts no larger than this, whatever its header claims, and grows only with the
// data that actually arrive.
constexpr std::size_t kInitialTextReserve = 1024 * 1024;

bool ReceiveIntoBlock(Socket socket, char* block, std::uint64_t length, const StopFlag* stop) {
    std::uint64_t received = 0;
    while (received < length) {
        const auto wanted =
            static_cast<std::size_t>(std::min<std::uint64_t>(length - received, kReceiveChunk));
        const std::size_t got = detail::ReceiveSome(socket, block + received, wanted, stop);
        if (got == 0) return false;
        received += got;
    }
    return true;
}

// Reads "<digits>:" byte by byte, so nothing after the colon is consumed. A byte that cannot
// belong to a length ends the read at once instead of after 63 characters. The first byte may
// take `firstByteLimitMs`, every later one the idle limit.
util::Result<std::uint64_t> ReceiveHeader(Socket socket, const StopFlag* stop,
                                          int firstByteLimitMs) {
    char header[kHeaderCapacity];
    std::size_t used = 0;
    for (bool first = true;; first = false) {
        char byte = 0;
        const auto got = detail::ReceiveAvailable(socket, &byte, 1, stop,
                                                  first ? firstByteLimitMs : ReceiveIdleTimeout());
        if (!got) return got.error();
        if (byte == ':') break;
        if (byte < '0' || byte > '9' || used + 1 >= sizeof header) {
            return util::MakeError(util::ErrorKind::BadReply, "no length before the data");
        }
        header[used++] = byte;
    }
    if (detail::IsStopped(stop)) return util::MakeError(util::ErrorKind::Stopped);
    std::uint64_t length = 0;
    if (!ParseLengthHeader(std::string_view(header, used), length)) {
        return util::MakeError(util::ErrorKind::BadReply, "a length beyond any file");
    }
    return length;
}

}  // namespace

util::Status ReceiveData(Socket socket, void* block, std::uint64_t length,
                         const std::string& fileName, const StopFlag* stop, void* context,
                         ProgressListener* listener) {
    TransferProgress progress(listener, context, length);
    progress.Start();
    util::Status result = util::MakeError(util::ErrorKind::LocalWriteFailed, "nowhere to write");
    if (auto* bytes = static_cast<char*>(block); bytes != nullptr) {
        if (ReceiveIntoBlock(socket, bytes, length, stop) && !detail::IsStopped(stop)) result = {};
    } else if (!fileName.empty()) {
        detail::PartFile file;
        result = file.Create(fileName);
        if (result) result = detail::ReceiveIntoFile(socket, file, length, stop, progress);
        if (result && detail::IsStopped(stop)) result = util::MakeError(util::ErrorKind::Stopped);
        if (result) result = file.Commit();
    }
    progress.End(result.ok());
    return result;
}

bool ReceiveString(Socket socket, std::string& out, const StopFlag* stop, std::size_t maxLength) {
    out.clear();
    const auto header = ReceiveHeader(socket, stop, ReceiveIdleTimeout());
    if (!header || header.value() > maxLength) return false;
    const std::uint64_t length = header.value();
    std::string text;
    text.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(length, kInitialTextReserve)));
    while (text.size() < length) {
        const auto wanted =
            static_cast<std::size_t>(std::min<std::uint64_t>(length - text.size(), kReceiveChunk));
        const std::size_t before = text.size();
        text.resize(before + wanted);
        const std::size_t got = detail::ReceiveSome(socket, text.data() + before, wanted, stop);
        text.resize(before + got);
        if (got == 0) return false;
    }
    if (detail::IsStopped(stop)) return false;
    out = std::move(text);
    return true;
}

util::Result<std::string> ReceiveReply(Socket socket, const StopFlag* stop, std::size_t maxLength,
                                       int firstByteLimitMs) {
    const auto header =
        ReceiveHeader(socket, stop, firstByteLimitMs > 0 ? firstByteLimitMs : ReceiveIdleTimeout());
    if (!header) return header.error();
    if (header.value() > maxLength) {
        return util::MakeError(util::ErrorKind::BadReply, "a reply longer than it may be");
    }
    std::string text(static_cast<std::size_t>(header.value()), '\0');
    if (!ReceiveIntoBlock(socket, text.data(), header.value(), stop) || detail::IsStopped(stop)) {
        return util::MakeError(detail::IsStopped(stop) ? util::ErrorKind::Stopped
                                                       : util::ErrorKind::ConnectionLost);
    }
    return text;
}

util::Result<std::uint64_t> ReceiveLengthHeader(Socket socket, const StopFlag* stop) {
    return ReceiveHeader(socket, stop, ReceiveIdleTimeout());
}

util::Status ReceiveFile(Socket socket, const std::string& fileName, const StopFlag* stop,
                         void* context, ProgressListener* listener,
                         std::optional<std::uint64_t> listedLength) {
    const auto header =
        ReceiveHeader(socket, stop, std::max(FirstDataTimeout(), ReceiveIdleTimeout()));
    util::Status verdict;
    if (!header) {
        // A host that closes before the length has refused: it asked its user, or has no such
        // file to send.
        verdict = header.kind() == util::ErrorKind::ConnectionLost
                      ? util::MakeError(util::ErrorKind::RefusedByHost)
                      : util::Status(header.error());
    } else if (listedLength && header.value() != *listedLength) {
        verdict = util::MakeError(util::ErrorKind::SizeLiedAbout,
                                  std::to_string(header.value()) + " bytes announced, " +
                                      std::to_string(*listedLength) + " listed");
    }
    if (!verdict) {
        if (listener != nullptr) listener->OnTransferEnd(context, false);
        return verdict;
    }
    return ReceiveData(socket, nullptr, header.value(), fileName, stop, context, listener);
}

}  // namespace net
