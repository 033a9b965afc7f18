// The real network objects behind the controller.
#include "ui/controller/lumvale_dialog_network.h"

#include "client/partial_download.h"
#include "client/host_search.h"
#include "net/interfaces.h"
#include "net/rate_limiter.h"
#include "protocol/request_protocol.h"
#include "ui/controller/host_searches.h"
#include "ui/controller/lumvale_dialog.h"

namespace ui {

namespace {

SearchReply ToControllerReply(client::HostSearchResult&& result) {
    SearchReply reply;
    switch (result.outcome) {
        case client::SearchOutcome::Answered:
            reply.outcome = SearchOutcome::Answered;
            break;
        case client::SearchOutcome::CannotSearch:
            reply.outcome = SearchOutcome::CannotSearch;
            return reply;
        case client::SearchOutcome::Unreachable:
            reply.outcome = SearchOutcome::NoAnswer;
            return reply;
    }
    reply.more = static_cast<std::size_t>(result.leftOut);
    reply.hits.reserve(result.hits.size());
    for (proto::SearchHit& hit : result.hits) {
        std::string path = std::move(hit.path);
        if (path.size() > 1 && path.back() == '\\') path.pop_back();
        std::optional<std::int64_t> modified;
        if (hit.modified != 0) modified = hit.modified;
        reply.hits.push_back({std::move(path), hit.size, hit.folder, modified});
    }
    return reply;
}

// Hosts that answer, browse or chat are copies of the program, not forged announcements: these
// pass the reports on and tell discovery, which keeps such hosts before those that only announce.
class ServerReportTap final : public ServerListener {
public:
    ServerReportTap(ServerListener& inner, CHostThread& hosts) : inner_(inner), hosts_(hosts) {}
    void OnUploadRequested(std::uint32_t id, const StopFlag** stopFlagSlot) override {
        inner_.OnUploadRequested(id, stopFlagSlot);
    }
    void OnHostModified(Ipv4 address) override { inner_.OnHostModified(address); }
    void OnHostBrowsed(Ipv4 address) override { hosts_.NoteHostBehaved(address); }

private:
    ServerListener& inner_;
    CHostThread& hosts_;
};

class JobReportTap final : public JobListener {
public:
    JobReportTap(JobListener& inner, CHostThread& hosts, const std::unique_ptr<CJobQueue>& jobs)
        : inner_(inner), hosts_(hosts), jobs_(jobs) {}
    void OnExpandResult(JobId id, const std::vector<DirEntry>& listing, bool success,
                        std::size_t leftOut) override {
        inner_.OnExpandResult(id, listing, success, leftOut);
    }
    void OnHostInfoResult(JobId id, const proto::HostInfo& hostInfo, bool success) override {
        JobInfo job;
        if (success && jobs_ && jobs_->GetJobInfo(id, &job)) hosts_.NoteHostBehaved(job.address);
        inner_.OnHostInfoResult(id, hostInfo, success);
    }

private:
    JobListener& inner_;
    CHostThread& hosts_;
    const std::unique_ptr<CJobQueue>& jobs_;
};

class ChatReportTap final : public ChatListener {
public:
    ChatReportTap(ChatListener& inner, CHostThread& hosts) : inner_(inner), hosts_(hosts) {}
    void OnChatMessage(Ipv4 address, const std::string& text) override {
        hosts_.NoteHostBehaved(address);
        inner_.OnChatMessage(address, text);
    }
    void OnChatNotDelivered(Ipv4 address, const std::string& text) override {
        inner_.OnChatNotDelivered(address, text);
    }

private:
    ChatListener& inner_;
    CHostThread& hosts_;
};

class OwnedNetwork final : public ControllerNetwork {
public:
    OwnedNetwork(const NetworkOptions& options, const NetworkSetup& setup)
        : requestPort_(options.jobs.requestPort),
          hosts_(std::make_unique<CHostThread>(&setup.listeners.host, setup.shutdown,
                                               options.discovery)),
          serverTap_(setup.listeners.server, *hosts_),
          jobTap_(setup.listeners.job, *hosts_, jobs_),
          chatTap_(setup.listeners.chat, *hosts_),
          // The host name follows right away through SetServerHostName.
          server_(std::make_unique<CServerThread>(
              &setup.listeners.upload, &serverTap_, &setup.listeners.permission, std::string(),
              options.versionText.empty() ? proto::OwnVersionText() : options.versionText,
              setup.shutdown, setup.settingsFile, options.server)),
          jobs_(std::make_unique<CJobQueue>(&jobTap_, &setup.listeners.download,
                                            setup.extendedHostInfo, setup.shutdown, options.jobs)),
          chat_(std::make_unique<CChatThread>(&chatTap_, setup.shutdown, options.chat)),
          searches_(std::make_unique<HostSearches>(
              setup.listeners.search,
              [this](Ipv4 address, const std::string& pattern, const StopFlag* stop) {
                  return AskHost(address, pattern, stop);
              })) {
        if (options.watchAddressChanges) {
            watcher_ = std::make_unique<net::AddressChangeWatcher>();
            if (!watcher_->Arm()) watcher_.reset();
        }
    }

    ~OwnedNetwork() override {
        WaitForThreads();
        searches_.reset();
        hosts_.reset();
        server_.reset();
        jobs_.reset();
        chat_.reset();
    }

    void AddHost(Ipv4 address, const std::string& name, HostKind kind) override {
        hosts_->AddHost(address, name, kind);
    }
    void RemoveHost(Ipv4 address) override { hosts_->RemoveHost(address); }
    void CheckAddressChange() override {
        if (watcher_ && watcher_->CheckChanged()) {
            watcher_->Arm();
            hosts_->RefreshInterfaces();
        }
    }

    void SetServerHostName(const std::string& name) override { server_->SetHostName(name); }
    bool GetUploadInfo(std::uint32_t uploadId, ServerConnectionInfo& out) const override {
        return server_->GetConnectionInfo(uploadId, &out);
    }
    void SetHostKnown(Ipv4 address, bool known) override { server_->SetHostKnown(address, known); }

    JobId AddExpandJob(Ipv4 address, const std::string& remotePath, const StopFlag* stop) override {
        return jobs_->AddExpandJob(address, remotePath, stop);
    }
    JobId AddHostInfoJob(Ipv4 address, const StopFlag* stop) override {
        return jobs_->AddHostInfoJob(address, stop);
    }
    JobId AddHostModifiedJob(Ipv4 address, const StopFlag* stop) override {
        return jobs_->AddHostModifiedJob(address, stop);
    }
    JobId AddRetrieveJob(Ipv4 address, const std::string& remotePath, const std::string& localPath,
                         const StopFlag* stop, std::optional<std::uint64_t> listedSize) override {
        return jobs_->AddRetrieveJob(address, remotePath, localPath, stop, listedSize);
    }
    JobId AddFolderStreamJob(Ipv4 address, std::shared_ptr<client::StreamBatch> batch,
                             const StopFlag* stop) override {
        return jobs_->AddFolderStreamJob(address, std::move(batch), stop);
    }
    bool MayStreamFolders(Ipv4 address) const override {
        return jobs_->Extensions().Known(address).support != ExtensionSupport::Lacking;
    }
    bool GetJobInfo(JobId id, JobInfo& out) const override { return jobs_->GetJobInfo(id, &out); }
    void CancelJob(JobId id) override { jobs_->CancelJob(id); }
    void ForgetExtensions(Ipv4 address) override { jobs_->Extensions().Forget(address); }
    void DiscardPartial(const std::string& localPath) override {
        client::DiscardPartial(localPath);
    }
    void SetDownloadLimit(std::uint64_t bytesPerSecond) override {
        net::DownloadRateLimiter().SetLimit(bytesPerSecond);
    }

    SearchId StartSearch(Ipv4 address, const std::string& pattern) override {
        return searches_->Start(address, pattern);
    }
    void CancelSearch(SearchId id) override { searches_->Cancel(id); }

    void QueueChatMessage(const std::string& text) override { chat_->QueueMessage(text); }
    void AddChatRecipient(Ipv4 address) override { chat_->AddRecipient(address); }
    void RemoveChatRecipient(Ipv4 address) override { chat_->RemoveRecipient(address); }

    void WaitForThreads() override {
        if (waited_) return;
        waited_ = true;
        hosts_->Wait();
        // Before the job queue: a search asks the queue's memo of extension words.
        searches_->Stop();
        server_->Stop();
        jobs_->Stop();
        chat_->Wait();
    }

private:
    SearchReply AskHost(Ipv4 address, const std::string& pattern, const StopFlag* stop) {
        return ToControllerReply(
            client::SearchHost(jobs_->Extensions(), address, requestPort_, pattern, stop));
    }

    const std::uint16_t requestPort_;
    std::unique_ptr<CHostThread> hosts_;
    ServerReportTap serverTap_;
    JobReportTap jobTap_;
    ChatReportTap chatTap_;
    std::unique_ptr<CServerThread> server_;
    std::unique_ptr<CJobQueue> jobs_;
    std::unique_ptr<CChatThread> chat_;
    std::unique_ptr<HostSearches> searches_;
    std::unique_ptr<net::AddressChangeWatcher> watcher_;
    bool waited_ = false;
};

}  // namespace

std::unique_ptr<ControllerNetwork> CreateOwnedNetwork(const NetworkOptions& options,
                                                      const NetworkSetup& setup) {
    return std::make_unique<OwnedNetwork>(options, setup);
}

NetworkFactory OwnedNetworkFactory(NetworkOptions options) {
    return [options = std::move(options)](const NetworkSetup& setup) {
        return CreateOwnedNetwork(options, setup);
    };
}

}  // namespace ui
