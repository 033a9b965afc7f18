// The controller's side of the seven listener interfaces. Every call, whatever thread makes it,
// is handed to the controller on the UI thread through the dispatcher, and the calling network
// thread waits until the handler has run. After shutdown has begun the calls return at once: no
// handler runs, a permission question is refused and an upload keeps the server's own stop flag.
#pragma once

#include <mutex>

#include "chat/chat_thread.h"
#include "client/job_queue.h"
#include "discovery/host_thread.h"
#include "server/server_thread.h"
#include "ui/controller/dispatcher.h"
#include "ui/controller/lumvale_dialog_network.h"

namespace ui {

class CLumvaleDialog;

class ControllerListeners final : public JobListener,
                                  public ChatListener,
                                  public HostListener,
                                  public ServerListener,
                                  public PermissionListener {
public:
    ControllerListeners(CLumvaleDialog& controller, Dispatcher& dispatcher);
    ControllerListeners(const ControllerListeners&) = delete;
    ControllerListeners& operator=(const ControllerListeners&) = delete;

    NetworkListeners All();

    // Job listener.
    void OnExpandResult(JobId id, const std::vector<DirEntry>& listing, bool success,
                        std::size_t leftOut) override;
    void OnHostInfoResult(JobId id, const proto::HostInfo& hostInfo, bool success) override;
    // Chat listener.
    void OnChatMessage(Ipv4 address, const std::string& text) override;
    void OnChatNotDelivered(Ipv4 address, const std::string& text) override;
    // Host listener.
    void OnHostAppeared(Ipv4 address, const std::string& name, HostKind kind) override;
    void OnHostDisappeared(Ipv4 address) override;
    // Server listener.
    void OnUploadRequested(std::uint32_t id, const StopFlag** stopFlagSlot) override;
    void OnHostModified(Ipv4 address) override;
    // Permission listener: one question at a time, whichever connection asks; a question
    // cancelled while it waited for its turn is not asked.
    bool MayDownload(Ipv4 address, const StopFlag* cancel) override;

private:
    // Upload and download progress share operation names, so each has its own object.
    class Uploads final : public UploadListener {
    public:
        explicit Uploads(ControllerListeners& owner) : owner_(owner) {}
        void OnUploadStarted(std::uint32_t id) override;
        void OnUploadProgress(std::uint32_t id, unsigned percent, float speedKBs) override;
        void OnUploadFinished(std::uint32_t id, bool success) override;

    private:
        ControllerListeners& owner_;
    };
    class Downloads final : public DownloadListener {
    public:
        explicit Downloads(ControllerListeners& owner) : owner_(owner) {}
        void OnDownloadStarted(JobId id) override;
        void OnDownloadProgress(JobId id, unsigned percent, float speedKBs) override;
        void OnDownloadFinished(JobId id, const util::Status& outcome) override;
        void OnDownloadVerified(JobId id) override;

    private:
        ControllerListeners& owner_;
    };

    template <typename Handler>
    bool Deliver(Handler&& handler);

    CLumvaleDialog& controller_;
    Dispatcher& dispatcher_;
    Uploads uploads_{*this};
    Downloads downloads_{*this};
    std::mutex permissionLock_;
};

}  // namespace ui
