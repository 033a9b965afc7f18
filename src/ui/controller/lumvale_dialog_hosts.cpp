// Host events: hosts coming and going, their names, their notices of changed shares, the
// question before an unknown host may download, and chat lines.
#include "net/socket.h"
#include "ui/controller/chat_history.h"
#include "ui/controller/event_sound_player.h"
#include "ui/controller/host_labels.h"
#include "ui/controller/host_refresh_tracker.h"
#include "ui/controller/lumvale_dialog.h"
#include "ui/controller/permission_questions.h"
#include "ui/controller/shown_text.h"
#include "ui/text/ui_strings.h"
#include "ui/transfers/transfers.h"
#include "util/trace.h"

namespace ui {

void CLumvaleDialog::OnHostAppeared(Ipv4 address, const std::string& name, HostKind kind) {
    std::size_t index = 0;
    if (model_->FindHost(address, index)) {
        // Discovery forgot a host that the tree keeps (the local host), and it came back: one
        // entry is enough, its contents are fetched again.
        refreshes_->Queue(address);
        return;
    }
    model_->AddHost(address, name, kind);
    ownNames_[address] = name;
    RelabelHosts();
    network_->AddChatRecipient(address);
    network_->SetHostKnown(address, true);
    refreshes_->Queue(address);
    sounds_->Play(EventSound::HostAppeared);
    transfers_->OnHostOnline(address);
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
    ownNames_.erase(address);
    RelabelHosts();
    refreshes_->Forget(address);
    fileList_.RefreshAfterChange(address, "\\");
    network_->RemoveChatRecipient(address);
    network_->SetHostKnown(address, false);
    network_->ForgetExtensions(address);
    sounds_->Play(EventSound::HostGone);
}

void CLumvaleDialog::OnHostInfo(JobId id, const proto::HostInfo& info) {
    JobInfo job;
    if (!network_->GetJobInfo(id, job)) return;
    std::size_t index = 0;
    if (!model_->FindHost(job.address, index)) return;
    if (!options_.debugFeatures) {
        ownNames_[job.address] = info.hostName;
        model_->SetHostName(index, info.hostName);
        RelabelHosts();
        return;
    }
    model_->SetHostName(index, net::FormatIpv4(job.address) + " (" + info.hostName + ", " +
                                   info.version + ", " + info.date + ", " + info.time + ", " +
                                   info.system + ")");
}

void CLumvaleDialog::RelabelHosts() {
    // With the debug features every label holds the address already.
    if (options_.debugFeatures) return;
    std::vector<NamedHost> hosts;
    hosts.reserve(model_->GetHostCount());
    for (std::size_t i = 0; i < model_->GetHostCount(); ++i) {
        const Ipv4 address = model_->GetHostAddress(i);
        const auto own = ownNames_.find(address);
        // A host without a name of its own is shown by what the model made of it.
        const bool named = own != ownNames_.end() && !own->second.empty();
        hosts.push_back({address, named ? own->second : model_->GetHostName(i)});
    }
    const std::vector<std::string> labels = HostLabels(hosts);
    for (std::size_t i = 0; i < labels.size(); ++i) {
        if (model_->GetHostName(i) != labels[i]) model_->SetHostName(i, labels[i]);
    }
}

void CLumvaleDialog::OnHostModified(Ipv4 address) {
    // Any peer can send this notice as often as it likes. A host the tree does not hold has
    // nothing to refresh; for the others the tracker keeps the refreshes few.
    std::size_t index = 0;
    if (model_->FindHost(address, index)) refreshes_->OnNotice(address);
}

bool CLumvaleDialog::OnDownloadRequest(Ipv4 address) {
    std::size_t index = 0;
    if (model_->FindHost(address, index)) return true;
    // Refusals are remembered per host; beyond that, a storm of askers must not keep the window
    // modal: one question at a time, a few a minute, the rest refused unasked and counted. Answers
    // from the settings bother nobody and are not held back.
    const bool person = views_.prompt.AsksAPerson();
    if (model_->IsHostUnwanted(address) ||
        (person && (questionOpen_ || !questions_->MayAsk(views_.clock.NowMs())))) {
        questions_->CountRefusal();
        views_.prompt.ShowRefusalNote(
            FormatText(Translate("Download requests from unknown hosts refused: %s"),
                       {std::to_string(questions_->Refused())}));
        return false;
    }
    const std::string question =
        FormatText(StringId::UnknownHostWantsDownload, {net::FormatIpv4(address)});
    questionOpen_ = true;
    const Answer answer = views_.prompt.Ask(Question::UnknownHostWantsDownload, question,
                                            PromptButtons::YesNoRefuseAll);
    questionOpen_ = false;
    if (!Running()) return false;
    if (answer == Answer::Yes) {
        // Reported back as a host-appeared event, so the host is listed like any other.
        network_->AddHost(address, std::string(), HostKind::Manual);
        return true;
    }
    if (answer == Answer::NoToAll) questions_->RefuseAllUnknown();
    model_->AddUnwantedHost(address);
    return false;
}

void CLumvaleDialog::OnChatMessage(Ipv4 address, const std::string& text) {
    // Nobody sends an empty line on purpose; it would only show a bare sender and ring.
    if (text.empty()) return;
    const std::string sender = KnownHostName(address).value_or(net::FormatIpv4(address));
    chatHistory_->Append(ShownName(sender) + ": " + ShownChatText(text));
    sounds_->Play(EventSound::ChatMessage);
}

void CLumvaleDialog::OnChatNotDelivered(Ipv4 address, const std::string& text) {
    const std::string recipient = KnownHostName(address).value_or(net::FormatIpv4(address));
    chatHistory_->Append(
        FormatText(StringId::ChatNotDelivered, {ShownName(recipient), ShownChatText(text)}));
}

}  // namespace ui
