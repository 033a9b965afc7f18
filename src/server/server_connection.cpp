// The connection side of the share server: reading the request, waiting for a start, and serving
// each job type.
#include "server/server_connection.h"

#include <poll.h>

#include <algorithm>
#include <cstdint>

#include "net/framing.h"
#include "net/progress.h"
#include "net/readiness.h"
#include "protocol/extension_words.h"
#include "protocol/folder_stream.h"
#include "protocol/search_reply.h"
#include "server/file_version_send.h"
#include "server/folder_stream_send.h"
#include "server/share_index_keeper.h"
#include "server/share_listing.h"
#include "server/share_paths.h"
#include "server/trace_excerpt.h"
#include "util/steady_ms.h"
#include "util/trace.h"

namespace {

// Carries the connection id through the transfer's opaque context.
class UploadProgressAdapter final : public net::ProgressListener {
public:
    explicit UploadProgressAdapter(UploadListener* listener) : listener_(listener) {}

    void OnTransferStart(void* context) override { listener_->OnUploadStarted(IdOf(context)); }
    void OnTransferProgress(void* context, unsigned percent, float speedKBs) override {
        listener_->OnUploadProgress(IdOf(context), percent, speedKBs);
    }
    void OnTransferEnd(void* context, bool success) override {
        listener_->OnUploadFinished(IdOf(context), success);
    }

    static void* ContextOf(std::uint32_t id) {
        return reinterpret_cast<void*>(static_cast<std::uintptr_t>(id));
    }

private:
    static std::uint32_t IdOf(void* context) {
        return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(context));
    }

    UploadListener* listener_;
};

}  // namespace

void CServerThread::ConnectionThreadFunction(Connection& connection) {
    // A download is asked about before it waits for a send slot: a question that waits for the
    // user must not keep other hosts' downloads from running.
    const bool ready = ReadRequest(connection) &&
                       (!proto::IsFileSend(connection.requestKind) || AskPermission(connection)) &&
                       Enqueue(connection);
    if (ready && WaitForStart(connection)) RunJob(connection);
    FinishConnection(connection);
}

bool CServerThread::ReadRequest(Connection& connection) {
    std::string line;
    const bool received = net::ReceiveString(connection.socket.get(), line, &connection.abort,
                                             net::kMaxRequestLength);
    proto::RequestLine request;
    if (received) {
        request = proto::SplitRequest(line);
        connection.requestKind = proto::ClassifyJobWord(request.jobWord);
        // The files a folder stream asks for follow the request within its time limit.
        if (connection.requestKind == proto::RequestKind::FolderStream &&
            !ReadSelection(connection)) {
            connection.requestKind = proto::RequestKind::Unknown;
        }
        if (connection.requestKind == proto::RequestKind::Get) {
            const auto asked = proto::ParseGetArgument(request.argument);
            if (asked) connection.getRequest = *asked;
            request.argument = asked ? asked->path : std::string();
            if (!asked) connection.requestKind = proto::RequestKind::Unknown;
        }
        connection.light = !proto::IsFileSend(connection.requestKind);
        if (connection.requestKind == proto::RequestKind::Unknown) {
            // The line is the peer's: quoted, escaped and cut, so that a flood of them can
            // neither fill the trace nor send control sequences to a terminal.
            XUTIL_DIAG_IN("CServerThread::GetJobType", "unknown jobtype : %s\n",
                          server::TraceExcerpt(line).c_str());
        }
    }
    connection.deadlineMs = 0;
    const bool keepsArgument = connection.requestKind == proto::RequestKind::Expand ||
                               proto::IsFileSend(connection.requestKind) ||
                               connection.requestKind == proto::RequestKind::Search;

    std::lock_guard guard(lock_);
    // An unreadable request or an unknown job has nothing to wait for: it just closes.
    if (connection.requestKind == proto::RequestKind::Unknown || Stopping() || connection.evicted) {
        return false;
    }
    if (keepsArgument) connection.argument = std::move(request.argument);
    return true;
}

bool CServerThread::ReadSelection(Connection& connection) {
    std::string text;
    return net::ReceiveString(connection.socket.get(), text, &connection.abort,
                              proto::kMaxSelectionLength) &&
           proto::ParseSelection(text, connection.selection);
}

bool CServerThread::AskPermission(Connection& connection) {
    // Resolved before the question, so that a request for nothing that could be sent closes
    // without bothering the user, however often a peer repeats it. Folders, devices and pipes are
    // not files to send (a pipe could stall the send for ever), and a missing file is not worth a
    // question or an upload report either. A folder stream is asked about once, for its folder.
    server::LocalPath local;
    const server::PathKind wanted = connection.requestKind == proto::RequestKind::FolderStream
                                        ? server::PathKind::Folder
                                        : server::PathKind::File;
    if (!ResolveArgument(connection, local) || local.kind != wanted) return false;
    UseLocalPath(connection, local);
    connection.shareRoot = local.shareRoot;
    {
        std::lock_guard guard(lock_);
        if (Stopping() || connection.evicted) return false;
        connection.stage = Connection::Stage::Asking;
    }
    // The listener cancels the question when the asker leaves or the time is up.
    SetDeadline(connection, SteadyMilliseconds() + options_.questionTimeoutMs);
    const bool allowed = permissionListener_->MayDownload(connection.address, &connection.abort);
    connection.deadlineMs = 0;
    return allowed && !connection.abort.load();
}

bool CServerThread::Enqueue(Connection& connection) {
    {
        std::lock_guard guard(lock_);
        if (Stopping() || connection.evicted) return false;
        connection.stage = Connection::Stage::Pending;
        pending_.push_back(&connection);
    }
    WakeListener();
    return true;
}

bool CServerThread::WaitForStart(Connection& connection) {
    std::unique_lock guard(lock_);
    startSignal_.wait(guard, [&] {
        return connection.stage == Connection::Stage::Running || stopping_.load() ||
               connection.evicted;
    });
    if (connection.stage == Connection::Stage::Running) return true;
    pending_.remove(&connection);
    return false;
}

void CServerThread::FinishConnection(Connection& connection) {
    net::UniqueSocket closing;
    {
        // The listener looks at the sockets of asking and running connections under the lock.
        std::lock_guard guard(lock_);
        closing = std::move(connection.socket);
        connection.stage = Connection::Stage::Ended;
        connectionEnded_ = true;
    }
    closing.reset();
    WakeListener();
}

void CServerThread::RunJob(Connection& connection) {
    const auto kind = connection.requestKind;
    if (kind != proto::RequestKind::Ping && kind != proto::RequestKind::Unknown) {
        serverListener_->OnHostBrowsed(connection.address);
    }
    switch (connection.requestKind) {
        case proto::RequestKind::Retrieve:
            ServeRetrieve(connection);
            break;
        case proto::RequestKind::FolderStream:
            ServeFolderStream(connection);
            break;
        case proto::RequestKind::Get:
            ServeGet(connection);
            break;
        case proto::RequestKind::Ping:
            ServePing(connection);
            break;
        case proto::RequestKind::Expand:
            ServeExpand(connection);
            break;
        case proto::RequestKind::GetHostInfo:
            ServeHostInfo(connection, false);
            break;
        case proto::RequestKind::GetHostInfoEx:
            ServeHostInfo(connection, true);
            break;
        case proto::RequestKind::HostModified:
            serverListener_->OnHostModified(connection.address);
            break;
        case proto::RequestKind::ExtensionWords:
            net::SendString(connection.socket.get(),
                            proto::EncodeExtensionWords(proto::OwnExtensionWords()),
                            &connection.abort);
            break;
        case proto::RequestKind::Search:
            ServeSearch(connection);
            break;
        case proto::RequestKind::Unknown:
            break;
    }
}

bool CServerThread::ResolveArgument(Connection& connection, server::LocalPath& local) {
    std::string argument;
    {
        std::lock_guard guard(lock_);
        argument = connection.argument;
    }
    // The settings file is read without the lock: a slow disk must not hold up the listener,
    // which needs the lock to accept, time out and reap every other connection.
    std::string shareName;
    std::string rest;
    std::string folder;
    return server::SplitSharePath(argument, shareName, rest) &&
           server::LookupShareFolder(settings_, shareName, folder) &&
           server::MapIntoShare(folder, rest, local);
}

void CServerThread::UseLocalPath(Connection& connection, const server::LocalPath& local) {
    std::lock_guard guard(lock_);
    connection.argument = local.path;
}

void CServerThread::ServeRetrieve(Connection& connection) {
    std::string localPath;
    {
        std::lock_guard guard(lock_);
        localPath = connection.argument;
    }
    serverListener_->OnUploadRequested(connection.id, &connection.stopFlag);
    UploadProgressAdapter progress(uploadListener_);
    net::SendFile(connection.socket.get(), localPath, connection.stopFlag,
                  UploadProgressAdapter::ContextOf(connection.id), &progress);
}

void CServerThread::ServeFolderStream(Connection& connection) {
    server::FolderStreamSource source;
    {
        std::lock_guard guard(lock_);
        source.folder = connection.argument;
    }
    source.shareRoot = std::move(connection.shareRoot);
    source.selection = std::move(connection.selection);
    // One upload row for the whole stream, as for one file.
    serverListener_->OnUploadRequested(connection.id, &connection.stopFlag);
    const std::size_t files = source.selection.size();
    uploadListener_->OnUploadStarted(connection.id);
    auto lastBytes = std::uint64_t{0};
    auto lastMs = SteadyMilliseconds();
    const auto progress = [&](const server::FolderStreamCounts& counts) {
        const std::int64_t now = SteadyMilliseconds();
        const auto elapsed = static_cast<float>(std::max<std::int64_t>(now - lastMs, 1));
        const float speed = static_cast<float>(counts.bytesSent - lastBytes) / 1.024f / elapsed;
        lastBytes = counts.bytesSent;
        lastMs = now;
        const auto percent =
            static_cast<unsigned>(files == 0 ? 100 : counts.filesSent * 100 / files);
        uploadListener_->OnUploadProgress(connection.id, percent, speed);
    };
    const bool sent =
        server::SendFolderStream(connection.socket.get(), source, connection.stopFlag, progress);
    uploadListener_->OnUploadFinished(connection.id, sent);
}

void CServerThread::ServeGet(Connection& connection) {
    std::string localPath;
    proto::GetRequest asked;
    {
        std::lock_guard guard(lock_);
        localPath = connection.argument;
        asked = connection.getRequest;
    }
    serverListener_->OnUploadRequested(connection.id, &connection.stopFlag);
    UploadProgressAdapter progress(uploadListener_);
    server::SendFileVersion(connection.socket.get(), localPath, asked, server::SharedFileDigests(),
                            connection.stopFlag, UploadProgressAdapter::ContextOf(connection.id),
                            &progress);
}

void CServerThread::ServePing(Connection& connection) {
    std::string message;
    for (;;) {
        // The connection's deadline alone decides how long the host may stay silent: the wait
        // for its next ping has no limit of its own, and the listener aborts it when the
        // deadline passes.
        SetDeadline(connection, SteadyMilliseconds() + options_.pingIdleTimeoutMs);
        if (net::detail::WaitForSocket(connection.socket.get(), POLLIN, &connection.abort, -1) !=
                net::detail::Readiness::Ready ||
            !net::ReceiveString(connection.socket.get(), message, &connection.abort,
                                net::kMaxRequestLength)) {
            break;
        }
    }
    connection.deadlineMs = 0;
}

void CServerThread::ServeExpand(Connection& connection) {
    std::vector<DirEntry> entries;
    bool root = false;
    {
        std::lock_guard guard(lock_);
        root = connection.argument == "\\";
    }
    if (root) entries = server::ListShares(settings_);
    server::LocalPath local;
    if (!root && ResolveArgument(connection, local) && local.kind == server::PathKind::Folder) {
        UseLocalPath(connection, local);
        entries = server::ListFolder(local.path, local.shareRoot, &connection.abort);
    }
    // Refused and missing places answer an empty listing, not silence.
    net::SendString(connection.socket.get(), proto::EncodeListing(entries), &connection.abort);
}

void CServerThread::ServeHostInfo(Connection& connection, bool extended) {
    std::string hostName;
    {
        std::lock_guard guard(lock_);
        hostName = hostName_;
    }
    const std::string reply = extended
                                  ? proto::EncodeHostInfoEx(hostName, versionText_, systemText_)
                                  : proto::EncodeHostInfo(hostName, versionText_);
    net::SendString(connection.socket.get(), reply, &connection.abort);
}

void CServerThread::ServeSearch(Connection& connection) {
    std::string pattern;
    {
        std::lock_guard guard(lock_);
        pattern = connection.argument;
    }
    // The index is searched by this connection's thread, one light slot: a search costs a few
    // milliseconds over a million names, like a listing of a large folder.
    proto::SearchReply reply;
    const auto index =
        shareIndex_ ? shareIndex_->Current(options_.searchIndexWaitMs, &connection.abort) : nullptr;
    if (index && pattern.size() <= proto::kMaxSearchPatternLength) {
        server::SearchResult found = index->Search(pattern);
        reply.hits = std::move(found.hits);
        reply.leftOut = found.leftOut;
    }
    // No index yet, or a pattern too long to be a name: an empty answer, not silence.
    net::SendString(connection.socket.get(), proto::EncodeSearchReply(reply), &connection.abort);
}
