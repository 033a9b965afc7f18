#include <algorithm>
#include <string>
#include <vector>

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

bool ReceiveIntoFile(Socket socket, detail::PartFile& file, std::uint64_t length,
                     const StopFlag* stop, TransferProgress& progress) {
    std::vector<char> buffer(
        static_cast<std::size_t>(std::min<std::uint64_t>(length, kReceiveChunk)));
    std::uint64_t received = 0;
    while (received < length) {
        const auto wanted =
            static_cast<std::size_t>(std::min<std::uint64_t>(length - received, kReceiveChunk));
        const std::size_t got = detail::ReceiveSome(socket, buffer.data(), wanted, stop);
        if (got == 0 || !file.Write(buffer.data(), got)) return false;
        received += got;
        progress.Add(got);
    }
    return true;
}

// Reads "<digits>:" byte by byte, so nothing after the colon is consumed. A byte that cannot
// belong to a length ends the read at once instead of after 63 characters.
bool ReceiveHeader(Socket socket, const StopFlag* stop, std::uint64_t& length) {
    char header[kHeaderCapacity];
    std::size_t used = 0;
    for (;;) {
        char byte = 0;
        if (detail::ReceiveSome(socket, &byte, 1, stop) == 0) return false;
        if (byte == ':') break;
        if (byte < '0' || byte > '9' || used + 1 >= sizeof header) return false;
        header[used++] = byte;
    }
    return !detail::IsStopped(stop) && ParseLengthHeader(std::string_view(header, used), length);
}

}  // namespace

bool ReceiveUntil(Socket socket, char* buffer, std::size_t capacity, const StopFlag* stop,
                  char delimiter) {
    if (capacity == 0) return false;
    std::size_t length = 0;
    buffer[0] = '\0';
    for (;;) {
        char byte = 0;
        if (detail::ReceiveSome(socket, &byte, 1, stop) == 0) return false;
        if (byte == delimiter) return !detail::IsStopped(stop);
        if (length + 1 >= capacity) return false;
        buffer[length++] = byte;
        buffer[length] = '\0';
    }
}

bool ReceiveData(Socket socket, void* block, std::uint64_t length, const std::string& fileName,
                 const StopFlag* stop, void* context, ProgressListener* listener) {
    TransferProgress progress(listener, context, length);
    progress.Start();
    auto* bytes = static_cast<char*>(block);
    bool success = false;
    if (bytes != nullptr) {
        success = ReceiveIntoBlock(socket, bytes, length, stop);
    } else if (!fileName.empty()) {
        detail::PartFile file;
        success = file.Create(fileName) && ReceiveIntoFile(socket, file, length, stop, progress) &&
                  !detail::IsStopped(stop) && file.Commit();
    }
    success = success && !detail::IsStopped(stop);
    progress.End(success);
    return success;
}

bool ReceiveExact(Socket socket, void* block, std::uint64_t length, const StopFlag* stop,
                  void* context, ProgressListener* listener) {
    if (block == nullptr) {
        if (listener != nullptr) listener->OnTransferEnd(context, false);
        return false;
    }
    return ReceiveData(socket, block, length, {}, stop, context, listener);
}

bool ReceiveString(Socket socket, std::string& out, const StopFlag* stop, std::size_t maxLength) {
    out.clear();
    std::uint64_t length = 0;
    if (!ReceiveHeader(socket, stop, length) || length > maxLength) return false;
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

bool ReceiveFile(Socket socket, const std::string& fileName, const StopFlag* stop, void* context,
                 ProgressListener* listener, std::uint64_t maxLength) {
    std::uint64_t length = 0;
    if (!ReceiveHeader(socket, stop, length) || length > maxLength) {
        if (listener != nullptr) listener->OnTransferEnd(context, false);
        return false;
    }
    return ReceiveData(socket, nullptr, length, fileName, stop, context, listener);
}

}  // namespace net
