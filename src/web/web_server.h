// The web view: a read-only view of the local shares for any browser on the LAN, on its own TCP
// port beside the request server. Browsers see nothing before the owner let them in (see
// BrowserAccess); names are mapped into the shares by the request server's own rules.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "core/types.h"
#include "web/browser_access.h"
#include "web/header_deadline.h"
#include "web/web_text.h"

struct MHD_Daemon;
struct MHD_Connection;

namespace web {

inline constexpr std::uint16_t kWebPort = 12348;

struct WebOptions {
    // Address (network order, 0 = any) and TCP port; port 0 binds an ephemeral port.
    Ipv4 bindAddress = 0;
    std::uint16_t port = kWebPort;
    // Threads that serve connections; file bodies go out by sendfile, so a few serve many.
    unsigned threads = 4;
    // Connections at once, and from one address (a browser opens up to six). Each costs at most
    // connectionMemory, so the whole stays within a few MiB.
    unsigned maxConnections = 512;
    unsigned maxPerAddress = 12;
    // A connection that sends or takes nothing for this long is closed.
    unsigned idleTimeoutSeconds = 10;
    // A request's line and headers must all have arrived this long after the connection was
    // accepted or its previous answer ended.
    std::int64_t headerTimeoutMs = 10'000;
    // Memory of one connection, which bounds its request line and headers together.
    std::size_t connectionMemory = 32 * 1024;
    // Entries a folder page shows at most; the filter finds the others.
    std::size_t maxFolderRows = 5000;
};

class WebServer {
public:
    // `settingsFile` names the shares and keeps the approved browsers. `listener` is told about
    // waiting browsers and must outlive the server; `translator` gives the pages their language.
    WebServer(std::string settingsFile, std::string hostName, BrowserApprovalListener* listener,
              Translator translator, WebOptions options = {});
    ~WebServer();
    WebServer(const WebServer&) = delete;
    WebServer& operator=(const WebServer&) = delete;

    // Listens and starts serving; false when the port cannot be had (another program holds it).
    [[nodiscard]] bool Start();
    // Stops serving; running downloads are cut. Safe to call more than once.
    void Stop();
    // The port it listens on; 0 before Start or after a failed one.
    std::uint16_t Port() const { return port_; }

    void SetHostName(const std::string& name);
    BrowserAccess& Access() { return access_; }

    struct Request;

private:
    // The engine's callbacks, typed by its header.
    friend struct EngineCallbacks;
    int Answer(MHD_Connection* connection, const std::string& url, const std::string& method,
               Request& request);
    int AnswerFolder(MHD_Connection* connection, const Request& request, const void* target);
    int AnswerFile(MHD_Connection* connection, const void* target);
    int AnswerZip(MHD_Connection* connection, const void* target);
    int AnswerApproval(MHD_Connection* connection, Request& request);
    int AnswerWaiting(MHD_Connection* connection, Request& request);
    std::string HostName() const;

    const std::string settingsFile_;
    const utilcpp::CParseini settings_;
    const Translator translator_;
    const WebOptions options_;
    BrowserAccess access_;
    mutable std::mutex nameLock_;
    std::string hostName_;
    StopFlag stopping_{false};
    std::unique_ptr<HeaderDeadline> headerDeadline_;
    MHD_Daemon* daemon_ = nullptr;
    std::uint16_t port_ = 0;
};

}  // namespace web
