#include "web/web_server.h"

#include <fcntl.h>
#include <microhttpd.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <utility>

#include "server/share_listing.h"
#include "web/html_pages.h"
#include "web/http_headers.h"
#include "web/share_target.h"
#include "web/url_path.h"
#include "web/web_assets.h"
#include "web/zip_stream.h"

namespace web {

// What one request gathers before it is answered: only the approval form has a body.
struct WebServer::Request {
    std::string body;
    bool bodyTooLong = false;
};

namespace {

constexpr const char* kCookieName = "wendaro";
constexpr std::size_t kMaxBody = 256;
constexpr std::size_t kMaxQueryValue = 256;
// Pages run no script at all; styles and images come from this server only.
constexpr const char* kPagePolicy =
    "default-src 'none'; style-src 'self'; img-src 'self'; form-action 'self'; base-uri 'none'; "
    "frame-ancestors 'none'";
// A shared file is never a page of ours: even a browser that displays it gives it no origin.
constexpr const char* kFilePolicy = "default-src 'none'; sandbox";

// The HTTP engine decodes nothing: url_path.h decides what every escape means.
std::size_t KeepEscapes(void* /*self*/, MHD_Connection* /*connection*/, char* text) {
    return std::strlen(text);
}

std::string Header(MHD_Connection* connection, MHD_ValueKind kind, const char* name) {
    const char* value = MHD_lookup_connection_value(connection, kind, name);
    return value != nullptr ? value : "";
}

// A query value as a form sends it ("+" for a space); empty when malformed or too long.
std::string QueryValue(MHD_Connection* connection, const char* name) {
    std::string raw = Header(connection, MHD_GET_ARGUMENT_KIND, name);
    if (raw.size() > kMaxQueryValue * 3) return {};
    for (char& c : raw) {
        if (c == '+') c = ' ';
    }
    std::string value;
    if (!PercentDecode(raw, value) || !IsValidUtf8(value) || value.size() > kMaxQueryValue ||
        value.find('\0') != std::string::npos) {
        return {};
    }
    return value;
}

Ipv4 ClientAddress(MHD_Connection* connection) {
    const MHD_ConnectionInfo* info =
        MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
    if (info == nullptr || info->client_addr == nullptr ||
        info->client_addr->sa_family != AF_INET) {
        return 0;
    }
    sockaddr_in address{};
    std::memcpy(&address, info->client_addr, sizeof address);
    return address.sin_addr.s_addr;
}

int Queue(MHD_Connection* connection, unsigned status, MHD_Response* response) {
    if (response == nullptr) return MHD_NO;
    const MHD_Result result = MHD_queue_response(connection, status, response);
    MHD_destroy_response(response);
    return result;
}

MHD_Response* PageResponse(const std::string& html) {
    MHD_Response* response = MHD_create_response_from_buffer(
        html.size(), const_cast<char*>(html.data()), MHD_RESPMEM_MUST_COPY);
    if (response == nullptr) return nullptr;
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, "text/html; charset=utf-8");
    MHD_add_response_header(response, "Content-Security-Policy", kPagePolicy);
    MHD_add_response_header(response, "X-Content-Type-Options", "nosniff");
    MHD_add_response_header(response, "Referrer-Policy", "no-referrer");
    MHD_add_response_header(response, MHD_HTTP_HEADER_CACHE_CONTROL, "no-store");
    return response;
}

int QueueRedirect(MHD_Connection* connection, unsigned status, const std::string& location) {
    MHD_Response* response = PageResponse({});
    if (response == nullptr) return MHD_NO;
    MHD_add_response_header(response, MHD_HTTP_HEADER_LOCATION, location.c_str());
    return Queue(connection, status, response);
}

const char* AssetType(std::string_view name) {
    return name.ends_with(".css") ? "text/css; charset=utf-8" : "image/svg+xml";
}

std::vector<FolderEntry> ReadFolder(const server::LocalPath& local, const StopFlag* stop) {
    std::vector<FolderEntry> entries;
    for (const DirEntry& item : server::ListFolder(local.path, local.shareRoot, stop)) {
        FolderEntry entry;
        entry.name = item.name;
        entry.folder = item.folder;
        entry.size = static_cast<std::uint64_t>(item.size);
        struct stat info {};
        if (::stat((local.path + "/" + item.name).c_str(), &info) == 0) {
            entry.modified = info.st_mtime;
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

}  // namespace

struct EngineCallbacks {
    static HeaderDeadline::Watch* WatchOf(MHD_Connection* connection) {
        const MHD_ConnectionInfo* info =
            MHD_get_connection_info(connection, MHD_CONNECTION_INFO_SOCKET_CONTEXT);
        return info != nullptr ? static_cast<HeaderDeadline::Watch*>(info->socket_context)
                               : nullptr;
    }

    static void Connection(void* self, MHD_Connection* connection, void** socketContext,
                           MHD_ConnectionNotificationCode event) {
        HeaderDeadline& deadline = *static_cast<WebServer*>(self)->headerDeadline_;
        if (event == MHD_CONNECTION_NOTIFY_STARTED) {
            const MHD_ConnectionInfo* info =
                MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
            *socketContext = info != nullptr ? deadline.Add(info->connect_fd) : nullptr;
        } else {
            deadline.Forget(static_cast<HeaderDeadline::Watch*>(*socketContext));
            *socketContext = nullptr;
        }
    }

    static MHD_Result Dispatch(void* self, MHD_Connection* connection, const char* url,
                               const char* method, const char* /*version*/, const char* uploadData,
                               std::size_t* uploadSize, void** requestSlot) {
        auto* request = static_cast<WebServer::Request*>(*requestSlot);
        if (request == nullptr) {
            *requestSlot = new WebServer::Request;
            static_cast<WebServer*>(self)->headerDeadline_->Answering(WatchOf(connection));
            return MHD_YES;
        }
        if (*uploadSize != 0) {
            if (request->body.size() + *uploadSize > kMaxBody) {
                request->bodyTooLong = true;
            } else {
                request->body.append(uploadData, *uploadSize);
            }
            *uploadSize = 0;
            return MHD_YES;
        }
        return static_cast<MHD_Result>(
            static_cast<WebServer*>(self)->Answer(connection, url, method, *request));
    }

    static void Completed(void* self, MHD_Connection* connection, void** requestSlot,
                          MHD_RequestTerminationCode /*code*/) {
        if (*requestSlot != nullptr) {
            static_cast<WebServer*>(self)->headerDeadline_->Waiting(WatchOf(connection));
        }
        delete static_cast<WebServer::Request*>(*requestSlot);
        *requestSlot = nullptr;
    }
};

WebServer::WebServer(std::string settingsFile, std::string hostName,
                     BrowserApprovalListener* listener, Translator translator, WebOptions options)
    : settingsFile_(std::move(settingsFile)),
      settings_(settingsFile_),
      translator_(std::move(translator)),
      options_(options),
      access_(settingsFile_, listener),
      hostName_(std::move(hostName)) {}

WebServer::~WebServer() {
    Stop();
}

bool WebServer::Start() {
    if (daemon_ != nullptr) return true;
    stopping_ = false;
    headerDeadline_ = std::make_unique<HeaderDeadline>(
        options_.headerTimeoutMs, [](int descriptor) { ::shutdown(descriptor, SHUT_RDWR); });
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = options_.bindAddress;
    address.sin_port = htons(options_.port);
    const unsigned flags = MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_EPOLL;
    daemon_ = MHD_start_daemon(
        flags, options_.port, nullptr, nullptr, &EngineCallbacks::Dispatch, this,
        MHD_OPTION_SOCK_ADDR, &address, MHD_OPTION_THREAD_POOL_SIZE,
        static_cast<unsigned>(options_.threads), MHD_OPTION_CONNECTION_LIMIT,
        static_cast<unsigned>(options_.maxConnections), MHD_OPTION_PER_IP_CONNECTION_LIMIT,
        static_cast<unsigned>(options_.maxPerAddress), MHD_OPTION_CONNECTION_TIMEOUT,
        static_cast<unsigned>(options_.idleTimeoutSeconds), MHD_OPTION_CONNECTION_MEMORY_LIMIT,
        options_.connectionMemory, MHD_OPTION_UNESCAPE_CALLBACK, &KeepEscapes, nullptr,
        MHD_OPTION_NOTIFY_COMPLETED, &EngineCallbacks::Completed, this,
        MHD_OPTION_NOTIFY_CONNECTION, &EngineCallbacks::Connection, this,
        MHD_OPTION_LISTENING_ADDRESS_REUSE, 1U, MHD_OPTION_END);
    if (daemon_ == nullptr) {
        headerDeadline_.reset();
        return false;
    }
    const MHD_DaemonInfo* info = MHD_get_daemon_info(daemon_, MHD_DAEMON_INFO_BIND_PORT);
    port_ = info != nullptr ? info->port : options_.port;
    return true;
}

void WebServer::Stop() {
    if (daemon_ == nullptr) return;
    // A long folder listing notices this and ends early.
    stopping_ = true;
    MHD_stop_daemon(daemon_);
    daemon_ = nullptr;
    headerDeadline_.reset();
    port_ = 0;
}

void WebServer::SetHostName(const std::string& name) {
    std::lock_guard guard(nameLock_);
    hostName_ = name;
}

std::string WebServer::HostName() const {
    std::lock_guard guard(nameLock_);
    return hostName_;
}

int WebServer::Answer(MHD_Connection* connection, const std::string& url, const std::string& method,
                      Request& request) {
    PageReader reader{&translator_,
                      AcceptedLanguages(Header(connection, MHD_HEADER_KIND, "Accept-Language")),
                      HostName()};
    const auto message = [&](unsigned status, const char* english) {
        return Queue(connection, status, PageResponse(RenderMessage(reader, english)));
    };
    const bool post = method == MHD_HTTP_METHOD_POST;
    if (method != MHD_HTTP_METHOD_GET && method != MHD_HTTP_METHOD_HEAD && !post) {
        MHD_Response* response =
            PageResponse(RenderMessage(reader, N_("This does not work here.")));
        if (response != nullptr) MHD_add_response_header(response, "Allow", "GET, HEAD, POST");
        return Queue(connection, MHD_HTTP_METHOD_NOT_ALLOWED, response);
    }

    // The style sheet and icons: the waiting page needs them before anyone is let in.
    constexpr std::string_view kAssets = "/_/";
    if (url.starts_with(kAssets)) {
        const std::string_view name = std::string_view(url).substr(kAssets.size());
        if (name == "approve" && post) return AnswerApproval(connection, request);
        for (const WebAsset& asset : WebAssets()) {
            if (asset.name != name || post) continue;
            MHD_Response* response = MHD_create_response_from_buffer(
                asset.contents.size(), const_cast<char*>(asset.contents.data()),
                MHD_RESPMEM_PERSISTENT);
            if (response == nullptr) return MHD_NO;
            MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, AssetType(name));
            MHD_add_response_header(response, MHD_HTTP_HEADER_CACHE_CONTROL, "max-age=3600");
            MHD_add_response_header(response, "X-Content-Type-Options", "nosniff");
            MHD_add_response_header(response, "Content-Security-Policy", kFilePolicy);
            return Queue(connection, MHD_HTTP_OK, response);
        }
        return message(MHD_HTTP_NOT_FOUND, N_("There is nothing here."));
    }
    if (post) return message(MHD_HTTP_METHOD_NOT_ALLOWED, N_("This does not work here."));

    if (!access_.IsApproved(Header(connection, MHD_COOKIE_KIND, kCookieName))) {
        return AnswerWaiting(connection, request);
    }

    if (url == "/") {
        std::vector<std::string> shares;
        for (const DirEntry& share : server::ListShares(settings_)) shares.push_back(share.name);
        return Queue(connection, MHD_HTTP_OK, PageResponse(RenderShareList(reader, shares)));
    }
    constexpr std::string_view kShares = "/s/";
    constexpr std::string_view kZip = "/z/";
    const bool zip = url.starts_with(kZip);
    if (!url.starts_with(kShares) && !zip) {
        return message(MHD_HTTP_NOT_FOUND, N_("There is nothing here."));
    }
    const ShareTarget target = ResolveUrl(settings_, url, zip ? kZip : kShares);
    if (zip && target.kind == TargetKind::Folder) return AnswerZip(connection, &target);
    if (zip && target.kind == TargetKind::File) {
        return message(MHD_HTTP_NOT_FOUND, N_("There is nothing here."));
    }
    switch (target.kind) {
        case TargetKind::BadRequest:
            return message(MHD_HTTP_BAD_REQUEST, N_("This address is not valid."));
        case TargetKind::NotFound:
            return message(MHD_HTTP_NOT_FOUND, N_("There is nothing here."));
        case TargetKind::Folder:
            // Relative links and the browser's idea of "up" need the folder's final "/".
            if (!url.ends_with('/')) {
                return QueueRedirect(connection, MHD_HTTP_MOVED_PERMANENTLY,
                                     ShareLink(target.components, true));
            }
            return AnswerFolder(connection, request, &target);
        case TargetKind::File:
            return AnswerFile(connection, &target);
    }
    return MHD_NO;
}

int WebServer::AnswerWaiting(MHD_Connection* connection, Request& /*request*/) {
    PageReader reader{&translator_,
                      AcceptedLanguages(Header(connection, MHD_HEADER_KIND, "Accept-Language")),
                      HostName()};
    const BrowserAccess::Waiting waiting =
        access_.Wait(ClientAddress(connection), Header(connection, MHD_HEADER_KIND, "User-Agent"));
    const WaitingState state =
        waiting == BrowserAccess::Waiting::Asked ? WaitingState::AskCode : WaitingState::Refused;
    return Queue(connection, MHD_HTTP_FORBIDDEN, PageResponse(RenderWaiting(reader, state)));
}

int WebServer::AnswerApproval(MHD_Connection* connection, Request& request) {
    PageReader reader{&translator_,
                      AcceptedLanguages(Header(connection, MHD_HEADER_KIND, "Accept-Language")),
                      HostName()};
    std::string code;
    constexpr std::string_view kField = "code=";
    if (!request.bodyTooLong && request.body.starts_with(kField) &&
        !PercentDecode(std::string_view(request.body).substr(kField.size()), code)) {
        code.clear();
    }
    const std::optional<std::string> token = access_.Approve(ClientAddress(connection), code);
    if (!token) {
        return Queue(connection, MHD_HTTP_FORBIDDEN,
                     PageResponse(RenderWaiting(reader, WaitingState::WrongCode)));
    }
    MHD_Response* response = PageResponse({});
    if (response == nullptr) return MHD_NO;
    const std::string cookie = std::string(kCookieName) + "=" + *token +
                               "; Path=/; Max-Age=31536000; HttpOnly; SameSite=Strict";
    MHD_add_response_header(response, MHD_HTTP_HEADER_SET_COOKIE, cookie.c_str());
    MHD_add_response_header(response, MHD_HTTP_HEADER_LOCATION, "/");
    return Queue(connection, MHD_HTTP_SEE_OTHER, response);
}

int WebServer::AnswerFolder(MHD_Connection* connection, const Request& /*request*/,
                            const void* targetPointer) {
    const auto& target = *static_cast<const ShareTarget*>(targetPointer);
    PageReader reader{&translator_,
                      AcceptedLanguages(Header(connection, MHD_HEADER_KIND, "Accept-Language")),
                      HostName()};
    const FolderView view =
        ParseFolderView(QueryValue(connection, "sort"), QueryValue(connection, "order"),
                        QueryValue(connection, "q"));
    std::vector<FolderEntry> entries = ReadFolder(target.local, &stopping_);
    ArrangeEntries(entries, view);
    std::size_t hidden = 0;
    if (entries.size() > options_.maxFolderRows) {
        hidden = entries.size() - options_.maxFolderRows;
        entries.resize(options_.maxFolderRows);
    }
    return Queue(connection, MHD_HTTP_OK,
                 PageResponse(RenderFolder(reader, target.components, entries, view, hidden)));
}

int WebServer::AnswerZip(MHD_Connection* connection, const void* targetPointer) {
    const auto& target = *static_cast<const ShareTarget*>(targetPointer);
    auto stream = std::make_unique<ZipStream>(target.local.path, target.local.shareRoot,
                                              target.components.back(), &stopping_);
    constexpr std::size_t kBlock = 64 * 1024;
    MHD_Response* response = MHD_create_response_from_callback(
        MHD_SIZE_UNKNOWN, kBlock,
        [](void* self, std::uint64_t /*position*/, char* out, std::size_t capacity) -> ssize_t {
            const std::int64_t got = static_cast<ZipStream*>(self)->Read(out, capacity);
            if (got == 0) return MHD_CONTENT_READER_END_OF_STREAM;
            return got < 0 ? MHD_CONTENT_READER_END_WITH_ERROR : static_cast<ssize_t>(got);
        },
        stream.get(), [](void* self) { delete static_cast<ZipStream*>(self); });
    if (response == nullptr) return MHD_NO;
    // The response owns the stream from here on.
    (void)stream.release();
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, "application/zip");
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_DISPOSITION,
                            AttachmentDisposition(target.components.back() + ".zip").c_str());
    MHD_add_response_header(response, "Content-Security-Policy", kFilePolicy);
    MHD_add_response_header(response, "X-Content-Type-Options", "nosniff");
    MHD_add_response_header(response, MHD_HTTP_HEADER_CACHE_CONTROL, "no-store");
    return Queue(connection, MHD_HTTP_OK, response);
}

int WebServer::AnswerFile(MHD_Connection* connection, const void* targetPointer) {
    const auto& target = *static_cast<const ShareTarget*>(targetPointer);
    PageReader reader{&translator_, {}, HostName()};
    const int fd = ::open(target.local.path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        if (fd >= 0) ::close(fd);
        return Queue(connection, MHD_HTTP_NOT_FOUND,
                     PageResponse(RenderMessage(reader, N_("There is nothing here."))));
    }
    const auto size = static_cast<std::uint64_t>(info.st_size);
    const std::string tag = EntityTag(
        info.st_ino, size,
        static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec);
    const std::string modified = HttpDate(info.st_mtime);

    ByteRange range = ParseRange(Header(connection, MHD_HEADER_KIND, "Range"), size);
    const std::string ifRange = Header(connection, MHD_HEADER_KIND, "If-Range");
    // A client whose partial copy is of another version gets the whole new file.
    if (!ifRange.empty() && !IfRangeMatches(ifRange, tag, modified)) {
        range.kind = ByteRange::Kind::Whole;
    }

    unsigned status = MHD_HTTP_OK;
    MHD_Response* response = nullptr;
    if (range.kind == ByteRange::Kind::Unsatisfiable) {
        ::close(fd);
        status = MHD_HTTP_RANGE_NOT_SATISFIABLE;
        response = MHD_create_response_from_buffer(0, nullptr, MHD_RESPMEM_PERSISTENT);
    } else {
        std::uint64_t first = 0;
        std::uint64_t length = size;
        if (range.kind == ByteRange::Kind::Partial) {
            status = MHD_HTTP_PARTIAL_CONTENT;
            first = range.first;
            length = range.last - range.first + 1;
        }
        // Takes the descriptor, and sends from it by sendfile.
        response =
            MHD_create_response_from_fd_at_offset64(length, fd, static_cast<std::int64_t>(first));
        if (response == nullptr) ::close(fd);
    }
    if (response == nullptr) return MHD_NO;
    if (status != MHD_HTTP_OK) {
        MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_RANGE,
                                ContentRange(range, size).c_str());
    }
    const std::string& name = target.components.back();
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, ContentTypeFor(name));
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_DISPOSITION,
                            AttachmentDisposition(name).c_str());
    MHD_add_response_header(response, MHD_HTTP_HEADER_ACCEPT_RANGES, "bytes");
    MHD_add_response_header(response, MHD_HTTP_HEADER_ETAG, tag.c_str());
    MHD_add_response_header(response, MHD_HTTP_HEADER_LAST_MODIFIED, modified.c_str());
    MHD_add_response_header(response, "Content-Security-Policy", kFilePolicy);
    MHD_add_response_header(response, "X-Content-Type-Options", "nosniff");
    MHD_add_response_header(response, MHD_HTTP_HEADER_CACHE_CONTROL, "private, no-cache");
    return Queue(connection, status, response);
}

}  // namespace web
