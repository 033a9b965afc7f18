// A serving host: discovery, the share server, the job queue and the chat channel, with every
// report handled on the main thread and shown on the console.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "chat/chat_thread.h"
#include "cli/call_dispatcher.h"
#include "cli/command_context.h"
#include "cli/serve_console.h"
#include "client/job_queue.h"
#include "core/parseini.h"
#include "discovery/host_thread.h"
#include "server/server_thread.h"

namespace cli {

class ServeSession final : private HostListener,
                           private UploadListener,
                           private ServerListener,
                           private PermissionListener,
                           private ChatListener,
                           private JobListener,
                           private DownloadListener {
public:
    // Construct on the main thread: the dispatcher's main thread runs every handler.
    ServeSession(const GlobalOptions& options, const std::string& settingsFile,
                 ServeConsole& console, CallDispatcher& dispatcher);
    // Shuts down if Shutdown has not run.
    ~ServeSession();
    ServeSession(const ServeSession&) = delete;
    ServeSession& operator=(const ServeSession&) = delete;

    // Creates the network objects in their order and adds the local machine. False with a
    // message when the request or chat port cannot be served.
    bool Start(std::string& error);
    // Queues a text for every known host.
    void QueueChat(const std::string& text);
    // After an address change.
    void RefreshInterfaces();
    // Sets the shutdown flag, releases waiting reports, then waits for discovery, the share
    // server, the job queue and the chat channel, in that order.
    void Shutdown();

private:
    struct Upload {
        std::string file;
        Ipv4 address = 0;
    };

    // Reports from network threads; each is handed to the main thread.
    void OnHostAppeared(Ipv4 address, const std::string& name, HostKind kind) override;
    void OnHostDisappeared(Ipv4 address) override;
    void OnUploadStarted(std::uint32_t id) override;
    void OnUploadProgress(std::uint32_t id, unsigned percent, float speedKBs) override;
    void OnUploadFinished(std::uint32_t id, bool success) override;
    void OnUploadRequested(std::uint32_t id, const StopFlag** stopFlagSlot) override;
    void OnHostModified(Ipv4 address) override;
    bool MayDownload(Ipv4 address) override;
    void OnChatMessage(Ipv4 address, const std::string& text) override;
    void OnExpandResult(JobId id, const std::vector<DirEntry>& listing, bool success) override;
    void OnHostInfoResult(JobId id, const proto::HostInfo& hostInfo, bool success) override;
    void OnDownloadStarted(JobId id) override;
    void OnDownloadProgress(JobId id, unsigned percent, float speedKBs) override;
    void OnDownloadFinished(JobId id, bool success) override;

    // Main thread only.
    void HandleHostAppeared(Ipv4 address, const std::string& name);
    void HandleHostGone(Ipv4 address);
    std::string HostLabel(Ipv4 address) const;

    const GlobalOptions options_;
    const std::string settingsFile_;
    const utilcpp::CParseini settings_;
    ServeConsole& console_;
    CallDispatcher& dispatcher_;
    std::string localName_;

    StopFlag closing_{false};
    bool shutDown_ = false;
    std::unique_ptr<CHostThread> hosts_;
    std::unique_ptr<CServerThread> server_;
    std::unique_ptr<CJobQueue> jobs_;
    std::unique_ptr<CChatThread> chat_;

    // Main thread only.
    std::map<Ipv4, std::string> names_;
    std::map<JobId, Ipv4> hostInfoJobs_;
    std::map<std::uint32_t, Upload> uploads_;
};

}  // namespace cli
