// The network objects as the main-window controller sees them. The controller owns them through
// this interface, so that its tests can replace all four with a recording double while the real
// ones are exercised on loopback.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "chat/chat_thread.h"
#include "client/job_queue.h"
#include "core/types.h"
#include "discovery/host_thread.h"
#include "server/server_thread.h"
#include "ui/controller/host_search.h"

namespace ui {

class ControllerNetwork {
public:
    virtual ~ControllerNetwork() = default;

    // Discovery.
    virtual void AddHost(Ipv4 address, const std::string& name, HostKind kind) = 0;
    virtual void RemoveHost(Ipv4 address) = 0;
    // Re-reads the local interfaces when the address list changed since the last call.
    virtual void CheckAddressChange() = 0;

    // Share server.
    virtual void SetServerHostName(const std::string& name) = 0;
    virtual bool GetUploadInfo(std::uint32_t uploadId, ServerConnectionInfo& out) const = 0;
    // Hosts in the tree keep room among the share server's connections whatever others do.
    virtual void SetHostKnown(Ipv4 address, bool known) = 0;

    // Job queue.
    virtual JobId AddExpandJob(Ipv4 address, const std::string& remotePath,
                               const StopFlag* stop) = 0;
    virtual JobId AddHostInfoJob(Ipv4 address, const StopFlag* stop) = 0;
    virtual JobId AddHostModifiedJob(Ipv4 address, const StopFlag* stop) = 0;
    // `listedSize`, when known, bounds what the host may send for the file.
    virtual JobId AddRetrieveJob(Ipv4 address, const std::string& remotePath,
                                 const std::string& localPath, const StopFlag* stop,
                                 std::optional<std::uint64_t> listedSize) = 0;
    // A batch of a folder download as one stream (CJobQueue::AddFolderStreamJob).
    virtual JobId AddFolderStreamJob(Ipv4 address, std::shared_ptr<client::StreamBatch> batch,
                                     const StopFlag* stop) = 0;
    // False when the host is known to lack the folder stream: its folders go file by file.
    virtual bool MayStreamFolders(Ipv4 address) const = 0;
    virtual bool GetJobInfo(JobId id, JobInfo& out) const = 0;
    // A waiting job is dropped, a running light job gives up (CJobQueue::CancelJob).
    virtual void CancelJob(JobId id) = 0;
    // The host left the tree: what it answered about the extension words no longer holds.
    virtual void ForgetExtensions(Ipv4 address) = 0;
    // A cancelled download's received part, kept for a resume, is removed.
    virtual void DiscardPartial(const std::string& localPath) = 0;
    // Every download together receives at most this many bytes a second; 0 lifts the limit.
    virtual void SetDownloadLimit(std::uint64_t bytesPerSecond) = 0;

    // Search. Asks the host for the entries of its shares whose names match `pattern`; the reply
    // comes once through the search listener. One search per host runs at a time: a newer one
    // for the same host waits until the older has ended.
    virtual SearchId StartSearch(Ipv4 address, const std::string& pattern) = 0;
    // The search ends as soon as it can and reports nothing.
    virtual void CancelSearch(SearchId id) = 0;

    // Chat.
    virtual void QueueChatMessage(const std::string& text) = 0;
    virtual void AddChatRecipient(Ipv4 address) = 0;
    virtual void RemoveChatRecipient(Ipv4 address) = 0;

    // Waits for the threads of discovery, the share server, the job queue and chat, in that
    // order. The shutdown flag and every cancel flag handed out are set before.
    virtual void WaitForThreads() = 0;
};

// The controller's implementations of the listener interfaces, handed to the network objects.
struct NetworkListeners {
    HostListener& host;
    UploadListener& upload;
    ServerListener& server;
    PermissionListener& permission;
    JobListener& job;
    DownloadListener& download;
    ChatListener& chat;
    SearchListener& search;
};

// Ports, bind addresses and the broadcast seam of the real network objects.
struct NetworkOptions {
    HostThreadOptions discovery;
    ServerOptions server;
    JobQueueOptions jobs;
    ChatOptions chat;
    // Sent in host information replies; empty: this build's own version text.
    std::string versionText;
    // Watch the kernel's address list and re-read the interfaces when it changes.
    bool watchAddressChanges = true;
};

// What the controller hands over when it has the network objects made.
struct NetworkSetup {
    const NetworkListeners& listeners;
    // The controller's closing flag.
    const StopFlag* shutdown;
    // The settings file whose "shares" section the share server serves.
    std::string settingsFile;
    // Ask hosts for extended host information (debug features).
    bool extendedHostInfo = false;
};

// Creates discovery, the share server, the job queue and chat, in that order; each starts its
// threads at once.
std::unique_ptr<ControllerNetwork> CreateOwnedNetwork(const NetworkOptions& options,
                                                      const NetworkSetup& setup);

}  // namespace ui
