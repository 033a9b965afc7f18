#include "cli/serve_session.h"

#include <arpa/inet.h>

#include "cli/host_name_setting.h"
#include "net/socket.h"
#include "protocol/request_protocol.h"

namespace cli {

namespace {

const Ipv4 kLoopback = htonl(INADDR_LOOPBACK);

}  // namespace

ServeSession::ServeSession(const GlobalOptions& options, const std::string& settingsFile,
                           ServeConsole& console, CallDispatcher& dispatcher)
    : options_(options),
      settingsFile_(settingsFile),
      settings_(settingsFile),
      console_(console),
      dispatcher_(dispatcher) {}

ServeSession::~ServeSession() {
    Shutdown();
}

bool ServeSession::Start(std::string& error) {
    localName_ = ReadHostName(settings_);

    // The listener interfaces are private bases; convert here, where they are accessible.
    HostListener* hostListener = this;
    UploadListener* uploadListener = this;
    ServerListener* serverListener = this;
    PermissionListener* permissionListener = this;
    JobListener* jobListener = this;
    DownloadListener* downloadListener = this;
    ChatListener* chatListener = this;

    HostThreadOptions discovery;
    discovery.discoveryPort = options_.discoveryPort;
    discovery.requestPort = options_.requestPort;
    hosts_ = std::make_unique<CHostThread>(hostListener, &closing_, discovery);

    ServerOptions serverOptions;
    serverOptions.port = options_.requestPort;
    // A burst of requests (many hosts opening folders at once) waits for its turn instead of
    // being turned away; the total stays bounded by the connection limit.
    serverOptions.maxWaiting = serverOptions.maxConnections;
    server_ = std::make_unique<CServerThread>(uploadListener, serverListener, permissionListener,
                                              localName_, proto::OwnVersionText(), &closing_,
                                              settingsFile_, serverOptions);
    JobQueueOptions jobOptions;
    jobOptions.requestPort = options_.requestPort;
    jobs_ =
        std::make_unique<CJobQueue>(jobListener, downloadListener, false, &closing_, jobOptions);

    ChatOptions chatOptions;
    chatOptions.port = options_.chatPort;
    chatOptions.sendPort = options_.chatPort;
    chat_ = std::make_unique<CChatThread>(chatListener, &closing_, chatOptions);

    if (server_->Port() == 0) {
        error = "Cannot listen on TCP port " + std::to_string(options_.requestPort) +
                " (does another copy run?).";
        return false;
    }
    if (chat_->Port() == 0) {
        error = "Cannot listen on TCP port " + std::to_string(options_.chatPort) +
                " (does another copy run?).";
        return false;
    }
    hosts_->AddHost(kLoopback, localName_, HostKind::LocalHost);
    return true;
}

void ServeSession::QueueChat(const std::string& text) {
    if (chat_ && !text.empty()) chat_->QueueMessage(text);
}

void ServeSession::RefreshInterfaces() {
    if (hosts_) hosts_->RefreshInterfaces();
}

void ServeSession::Shutdown() {
    if (shutDown_) return;
    shutDown_ = true;
    closing_ = true;
    dispatcher_.BeginShutdown();
    if (hosts_) hosts_->Wait();
    if (server_) server_->Stop();
    if (jobs_) jobs_->Stop();
    if (chat_) chat_->Wait();
    chat_.reset();
    jobs_.reset();
    server_.reset();
    hosts_.reset();
}

std::string ServeSession::HostLabel(Ipv4 address) const {
    const auto known = names_.find(address);
    if (known != names_.end() && !known->second.empty()) return known->second;
    return net::FormatIpv4(address);
}

void ServeSession::HandleHostAppeared(Ipv4 address, const std::string& name) {
    names_[address] = name;
    console_.HostAppeared(address, name);
    if (chat_) chat_->AddRecipient(address);
    if (!jobs_) return;
    // Hosts that never answered leave their job behind; forget the jobs that have ended.
    std::erase_if(hostInfoJobs_,
                  [this](const auto& job) { return !jobs_->GetJobInfo(job.first, nullptr); });
    // A host found by broadcast has no name yet; its own answer brings it.
    hostInfoJobs_[jobs_->AddHostInfoJob(address, &closing_)] = address;
}

void ServeSession::HandleHostGone(Ipv4 address) {
    console_.HostGone(address, names_.contains(address) ? names_[address] : std::string());
    names_.erase(address);
    // The local machine keeps receiving its own texts, as the chat pane shows them.
    if (chat_ && address != kLoopback) chat_->RemoveRecipient(address);
}

void ServeSession::OnHostAppeared(Ipv4 address, const std::string& name, HostKind) {
    dispatcher_.Call([&] { HandleHostAppeared(address, name); });
}

void ServeSession::OnHostDisappeared(Ipv4 address) {
    dispatcher_.Call([&] { HandleHostGone(address); });
}

void ServeSession::OnHostInfoResult(JobId id, const proto::HostInfo& hostInfo, bool success) {
    if (!success) return;
    dispatcher_.Call([&] {
        const auto job = hostInfoJobs_.find(id);
        if (job == hostInfoJobs_.end()) return;
        const Ipv4 address = job->second;
        hostInfoJobs_.erase(job);
        // The host may have gone while its answer was on the way.
        const auto known = names_.find(address);
        if (known == names_.end() || known->second == hostInfo.hostName) return;
        known->second = hostInfo.hostName;
        console_.HostNamed(address, hostInfo.hostName);
    });
}

bool ServeSession::MayDownload(Ipv4 address) {
    bool allowed = false;
    dispatcher_.Call([&] { allowed = names_.contains(address) || AllowUnknownHosts(settings_); });
    return allowed;
}

void ServeSession::OnUploadRequested(std::uint32_t id, const StopFlag**) {
    // The send keeps watching the shutdown flag, so shutting down ends it.
    dispatcher_.Call([&] {
        ServerConnectionInfo info;
        if (server_ && server_->GetConnectionInfo(id, &info)) {
            uploads_[id] = {info.argument, info.address};
        }
    });
}

void ServeSession::OnUploadStarted(std::uint32_t id) {
    dispatcher_.Call([&] {
        const auto upload = uploads_.find(id);
        if (upload == uploads_.end()) return;
        console_.UploadStarted(upload->second.file, HostLabel(upload->second.address));
    });
}

void ServeSession::OnUploadProgress(std::uint32_t, unsigned, float) {}

void ServeSession::OnUploadFinished(std::uint32_t id, bool success) {
    dispatcher_.Call([&] {
        const auto upload = uploads_.find(id);
        if (upload == uploads_.end()) return;
        console_.UploadFinished(upload->second.file, HostLabel(upload->second.address), success);
        uploads_.erase(upload);
    });
}

void ServeSession::OnHostModified(Ipv4) {}

void ServeSession::OnChatMessage(Ipv4 address, const std::string& text) {
    dispatcher_.Call([&] {
        const auto known = names_.find(address);
        console_.ChatText(address, known != names_.end() ? known->second : std::string(), text);
    });
}

void ServeSession::OnExpandResult(JobId, const std::vector<DirEntry>&, bool) {}
void ServeSession::OnDownloadStarted(JobId) {}
void ServeSession::OnDownloadProgress(JobId, unsigned, float) {}
void ServeSession::OnDownloadFinished(JobId, bool) {}

}  // namespace cli
