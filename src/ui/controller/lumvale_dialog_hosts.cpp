// Host events: hosts coming and going, their names, their notices of changed shares, the
// question before an unknown host may download, and chat lines.
#include "net/socket.h"
#include "ui/controller/chat_history.h"
#include "ui/controller/event_sound_player.h"
#include "ui/controller/lumvale_dialog.h"
#include "ui/text/ui_strings.h"
#include "util/trace.h"

namespace ui {

namespace {

// Change notices of one host start a refresh at most this often; those in between are gathered
// into one, so that a peer sending them without pause costs one share list every few seconds.
constexpr std::uint32_t kMinRefreshIntervalMs = 5000;

}  // namespace

void CLumvaleDialog::QueueHostRefresh(Ipv4 address) {
    // The host information names the host; the root listing gives its shares.
    const JobId info = network_->AddHostInfoJob(address, &closing_);
    const JobId shares = network_->AddExpandJob(address, "\\", &closing_);
    refreshes_[address] = HostRefresh{{info, shares}, views_.clock.NowMs(), false};
}

bool CLumvaleDialog::IsRefreshWaiting(Ipv4 address) const {
    const auto found = refreshes_.find(address);
    if (found == refreshes_.end()) return false;
    JobInfo job;
    for (const JobId id : found->second.jobs) {
        if (network_->GetJobInfo(id, job)) return true;
    }
    return false;
}

void CLumvaleDialog::RunNoticedRefreshes() {
    const std::uint32_t now = views_.clock.NowMs();
    std::vector<Ipv4> due;
    for (const auto& [address, refresh] : refreshes_) {
        if (refresh.noticeWaiting && now - refresh.startedMs >= kMinRefreshIntervalMs &&
            !IsRefreshWaiting(address)) {
            due.push_back(address);
        }
    }
    for (const Ipv4 address : due) QueueHostRefresh(address);
}

void CLumvaleDialog::OnHostAppeared(Ipv4 address, const std::string& name, HostKind kind) {
    std::size_t index = 0;
    if (model_->FindHost(address, index)) {
        // Discovery forgot a host that the tree keeps (the local host), and it came back: one
        // entry is enough, its contents are fetched again.
        QueueHostRefresh(address);
        return;
    }
    model_->AddHost(address, name, kind);
    network_->AddChatRecipient(address);
    network_->SetHostKnown(address, true);
    QueueHostRefresh(address);
    sounds_->Play(EventSound::HostAppeared);
}

void CLumvaleDialog::OnHostDisappeared(Ipv4 address) {
    std::size_t index = 0;
    if (!model_->FindHost(address, index)) {
        XUTIL_DIAG("host not found in netstruture: %s\n", net::FormatIpv4(address).c_str());
        return;
    }
    if (model_->GetHostKind(index) == HostKind::LocalHost) {
        XUTIL_DIAG("localhost would have been removed, prevented it\n");
        return;
    }
    model_->RemoveHost(address);
    // Nobody wants the answers of a host that is gone, and forged hosts would otherwise keep
    // workers connecting to nowhere long after they were dropped.
    if (const auto found = refreshes_.find(address); found != refreshes_.end()) {
        for (const JobId id : found->second.jobs) network_->CancelJob(id);
        refreshes_.erase(found);
    }
    RefreshFileListAfterChange(address, "\\");
    network_->RemoveChatRecipient(address);
    network_->SetHostKnown(address, false);
    sounds_->Play(EventSound::HostGone);
}

void CLumvaleDialog::OnHostInfo(JobId id, const proto::HostInfo& info) {
    JobInfo job;
    if (!network_->GetJobInfo(id, job)) return;
    std::size_t index = 0;
    if (!model_->FindHost(job.address, index)) return;
    if (!options_.debugFeatures) {
        model_->SetHostName(index, info.hostName);
        return;
    }
    model_->SetHostName(index, net::FormatIpv4(job.address) + " (" + info.hostName + ", " +
                                   info.version + ", " + info.date + ", " + info.time + ", " +
                                   info.system + ")");
}

void CLumvaleDialog::OnHostModified(Ipv4 address) {
    // Any peer can send this notice as often as it likes. A host the tree does not hold has
    // nothing to refresh; for the others at most one refresh runs at a time and one begins at
    // most every kMinRefreshIntervalMs, the notices in between gathered into the next one.
    std::size_t index = 0;
    if (!model_->FindHost(address, index)) return;
    const auto found = refreshes_.find(address);
    if (found != refreshes_.end() &&
        (IsRefreshWaiting(address) ||
         views_.clock.NowMs() - found->second.startedMs < kMinRefreshIntervalMs)) {
        found->second.noticeWaiting = true;
        return;
    }
    QueueHostRefresh(address);
}

bool CLumvaleDialog::OnDownloadRequest(Ipv4 address) {
    std::size_t index = 0;
    if (model_->FindHost(address, index)) return true;
    if (model_->IsHostUnwanted(address)) return false;
    const std::string question =
        FormatText(StringId::UnknownHostWantsDownload, {net::FormatIpv4(address)});
    if (views_.prompt.Ask(Question::UnknownHostWantsDownload, question, PromptButtons::YesNo) ==
        Answer::Yes) {
        // Reported back as a host-appeared event, so the host is listed like any other.
        network_->AddHost(address, std::string(), HostKind::Manual);
        return true;
    }
    model_->AddUnwantedHost(address);
    return false;
}

void CLumvaleDialog::OnChatMessage(Ipv4 address, const std::string& text) {
    // Nobody sends an empty line on purpose; it would only show a bare sender and ring.
    if (text.empty()) return;
    const std::string sender = KnownHostName(address).value_or(net::FormatIpv4(address));
    chatHistory_->Append(sender + ": " + text);
    sounds_->Play(EventSound::ChatMessage);
}

void CLumvaleDialog::OnChatNotDelivered(Ipv4 address, const std::string& text) {
    const std::string recipient = KnownHostName(address).value_or(net::FormatIpv4(address));
    chatHistory_->Append(FormatText(StringId::ChatNotDelivered, {recipient, text}));
}

}  // namespace ui
