#include "client/folder_stream_receive.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "client/download_target.h"
#include "net/framing.h"
#include "net/part_file.h"
#include "net/rate_limiter.h"
#include "net/sha256.h"
#include "net/stream_io.h"
#include "net/transfer_progress.h"
#include "protocol/folder_stream.h"
#include "protocol/request_protocol.h"

namespace client {
namespace {

// Many small files arrive in one read; a large one passes through in pieces of this size.
constexpr std::size_t kBufferBytes = 256 * 1024;
// "<up to 20 digits>:" with room for a rejected 21st.
constexpr std::size_t kMaxHeaderDigits = 20;

// Reads the stream through one buffer, so that a thousand small files cost a few receives.
class StreamReader {
public:
    StreamReader(net::Socket socket, const StopFlag* stop)
        : socket_(socket), stop_(stop), buffer_(kBufferBytes) {}

    // Waits until at least one byte is buffered; the first wait may take `limitMs`.
    util::Status Fill(int limitMs) {
        if (begin_ < end_) return {};
        begin_ = end_ = 0;
        // The download speed limit holds for streams as for single files.
        const std::size_t wanted = net::DownloadRateLimiter().BlockSize(buffer_.size());
        const auto got =
            net::detail::ReceiveAvailable(socket_, buffer_.data(), wanted, stop_, limitMs);
        if (!got) return got.error();
        end_ = got.value();
        if (!net::PaceDownload(got.value(), stop_)) {
            return util::MakeError(util::ErrorKind::Stopped);
        }
        return {};
    }
    const char* Data() const { return buffer_.data() + begin_; }
    std::size_t Available() const { return end_ - begin_; }
    void Consume(std::size_t count) { begin_ += count; }

private:
    net::Socket socket_;
    const StopFlag* stop_;
    std::vector<char> buffer_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
};

struct Header {
    bool refused = false;
    std::uint64_t size = 0;
};

util::Result<Header> ReadHeader(StreamReader& reader, int firstByteLimitMs) {
    std::string digits;
    for (bool first = true;; first = false) {
        if (util::Status filled = reader.Fill(first ? firstByteLimitMs : net::ReceiveIdleTimeout());
            !filled) {
            return filled.error();
        }
        const char byte = *reader.Data();
        reader.Consume(1);
        if (first && byte == proto::kStreamFileRefused) return Header{true, 0};
        if (byte == ':') break;
        if (byte < '0' || byte > '9' || digits.size() >= kMaxHeaderDigits) {
            return util::MakeError(util::ErrorKind::BadReply, "no length before the data");
        }
        digits += byte;
    }
    Header header;
    if (!net::ParseLengthHeader(digits, header.size)) {
        return util::MakeError(util::ErrorKind::BadReply, "a length beyond any file");
    }
    return header;
}

util::Status ReadExactly(StreamReader& reader, char* out, std::size_t count) {
    while (count > 0) {
        if (util::Status filled = reader.Fill(net::ReceiveIdleTimeout()); !filled) return filled;
        const std::size_t take = std::min(count, reader.Available());
        std::memcpy(out, reader.Data(), take);
        reader.Consume(take);
        out += take;
        count -= take;
    }
    return {};
}

class StreamReceiver {
public:
    StreamReceiver(net::Socket socket, StreamBatch& batch, const StopFlag* stop,
                   net::ProgressListener* listener)
        : batch_(batch),
          stop_(stop),
          reader_(socket, stop),
          progress_(listener, nullptr, batch.totalBytes) {}

    util::Status Run() {
        progress_.Start();
        util::Status outcome;
        for (const WalkFile& file : batch_.files) {
            // The first file may wait while the host asks its user.
            const int limit = batch_.filesDone == 0
                                  ? std::max(net::FirstDataTimeout(), net::ReceiveIdleTimeout())
                                  : net::ReceiveIdleTimeout();
            outcome = ReceiveOne(file, limit);
            if (!outcome) break;
            ++batch_.filesDone;
            batch_.bytesDone += static_cast<std::uint64_t>(file.size);
        }
        progress_.End(outcome.ok());
        return outcome;
    }

private:
    util::Status ReceiveOne(const WalkFile& file, int firstByteLimitMs) {
        const auto header = ReadHeader(reader_, firstByteLimitMs);
        if (!header) {
            return header.kind() == util::ErrorKind::ConnectionLost && batch_.filesDone == 0
                       ? util::MakeError(util::ErrorKind::RefusedByHost)
                       : util::Status(header.error());
        }
        if (header.value().refused) return util::MakeError(util::ErrorKind::RefusedByHost);
        const std::uint64_t size = header.value().size;
        // The listed size bounds what the host may send: more could fill the disk, less would
        // pass for the whole file.
        if (size != static_cast<std::uint64_t>(file.size)) {
            return util::MakeError(util::ErrorKind::SizeLiedAbout,
                                   std::to_string(size) + " bytes announced, " +
                                       std::to_string(file.size) + " listed");
        }
        if (util::Status inside = CheckFolder(file); !inside) return inside;
        net::detail::PartFile part;
        if (util::Status created = part.Create(file.localPath.string()); !created) return created;
        digest_.Reset();
        std::uint64_t received = 0;
        while (received < size) {
            if (IsStopped(stop_)) return util::MakeError(util::ErrorKind::Stopped);
            if (util::Status filled = reader_.Fill(net::ReceiveIdleTimeout()); !filled) {
                return filled;
            }
            const auto take = static_cast<std::size_t>(
                std::min<std::uint64_t>(size - received, reader_.Available()));
            // Small files gain nothing from a claim ahead: one more call each.
            if (size > kBufferBytes) {
                if (util::Status claimed = part.ReserveAhead(received + take, size); !claimed) {
                    return claimed;
                }
            }
            if (util::Status written = part.Write(reader_.Data(), take); !written) return written;
            digest_.Update(reader_.Data(), take);
            reader_.Consume(take);
            received += take;
            progress_.Add(take);
        }
        char trailer[proto::kStreamTrailerLength];
        if (util::Status read = ReadExactly(reader_, trailer, sizeof trailer); !read) return read;
        if (trailer[0] == proto::kStreamFileChanged) {
            return util::MakeError(util::ErrorKind::SizeLiedAbout,
                                   "the file changed on the host while it was sent");
        }
        if (trailer[0] != proto::kStreamFileWhole) {
            return util::MakeError(util::ErrorKind::BadReply, "no mark after the file");
        }
        const std::string ours = digest_.HexDigest();
        if (ours != std::string_view(trailer + 1, proto::kStreamDigestLength)) {
            return util::MakeError(util::ErrorKind::Damaged);
        }
        if (IsStopped(stop_)) return util::MakeError(util::ErrorKind::Stopped);
        return part.Commit();
    }

    // The folder was checked when the file was taken into the batch; a link planted in it since
    // must not carry the write elsewhere. A batch holds the files of a folder one after the other,
    // so each folder is looked at about once per stream.
    util::Status CheckFolder(const WalkFile& file) {
        const std::string_view path = file.localPath.native();
        const std::string_view folder = path.substr(0, path.rfind('/') + 1);
        if (checkedOnce_ && folder == lastFolder_) return {};
        if (!StaysInside(batch_.localDir, file.localPath)) {
            return util::MakeError(util::ErrorKind::LocalWriteFailed,
                                   "the folder leads outside the target folder");
        }
        lastFolder_.assign(folder);
        checkedOnce_ = true;
        return {};
    }

    StreamBatch& batch_;
    const StopFlag* stop_;
    StreamReader reader_;
    net::detail::TransferProgress progress_;
    net::Sha256 digest_;
    std::string lastFolder_;
    bool checkedOnce_ = false;
};

}  // namespace

std::string SelectionPath(const std::string& rootPath, const std::string& remotePath) {
    return remotePath.substr(std::min(remotePath.size(), rootPath.size() + 1));
}

util::Status ReceiveFolderStream(net::Socket socket, StreamBatch& batch, const StopFlag* stop,
                                 net::ProgressListener* listener) {
    batch.filesDone = 0;
    batch.bytesDone = 0;
    std::vector<std::string> selection;
    selection.reserve(batch.files.size());
    for (const WalkFile& file : batch.files) {
        selection.push_back(SelectionPath(batch.rootPath, file.remotePath));
    }
    if (!net::SendString(socket, proto::BuildRequest(proto::kFolderStreamWord, batch.rootPath),
                         stop) ||
        !net::SendString(socket, proto::EncodeSelection(selection), stop)) {
        return util::MakeError(IsStopped(stop) ? util::ErrorKind::Stopped
                                               : util::ErrorKind::ConnectionLost);
    }
    return StreamReceiver(socket, batch, stop, listener).Run();
}

}  // namespace client
