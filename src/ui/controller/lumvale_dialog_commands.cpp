// Commands and menu states that are more than widget work.
#include "core/settings_keys.h"
#include "net/interfaces.h"
#include "net/socket.h"
#include "ui/controller/host_lookup.h"
#include "ui/controller/lumvale_dialog.h"
#include "ui/controller/web_view_host.h"
#include "ui/desktop/remembered_hosts.h"
#include "ui/desktop/share_checks.h"
#include "ui/text/ui_strings.h"
#include "ui/transfers/transfers.h"

namespace ui {

namespace {

// The chat input holds at most this many characters.
constexpr std::size_t kMaxChatInput = 1023;

}  // namespace

bool CLumvaleDialog::IsLocalShareNode(const CNetNode* node) const {
    return node != nullptr && node->IsShare() && node->IsLocalHost();
}

bool CLumvaleDialog::IsManualHostNode(const CNetNode* node) const {
    std::size_t index = 0;
    return node != nullptr && node->IsHost() && model_->FindHost(node->GetAddress(), index) &&
           model_->GetHostKind(index) == HostKind::Manual;
}

void CLumvaleDialog::Refresh() {
    if (!Running()) return;
    const CNetNode* node = views_.tree.SelectedNode();
    if (node == nullptr) return;
    network_->AddExpandJob(node->GetAddress(), node->GetPath(), &closing_);
    if (node->IsHost()) network_->AddHostInfoJob(node->GetAddress(), &closing_);
}

void CLumvaleDialog::RemoveShare() {
    if (!Running()) return;
    const CNetNode* node = views_.tree.SelectedNode();
    // Only the local host's own shares are in this computer's settings.
    if (!IsLocalShareNode(node)) return;
    settings_.DeleteKey(settings_keys::kShares, node->GetName());
    // The tree follows when the local share server answers the notice.
    NotifyHostsModified();
}

void CLumvaleDialog::OpenSelectedRow(bool useLastFolder) {
    if (!Running()) return;
    const std::vector<CNetNode*> selected = fileList_.SelectedNodes();
    if (selected.empty()) return;
    const CNetNode* first = selected.front();
    if (!first->IsFolder()) {
        Download(useLastFolder);
        return;
    }
    views_.tree.SelectNode(*first);
    FillFileList();
}

void CLumvaleDialog::SendChat() {
    if (!Running()) return;
    std::string text = views_.chat.InputText();
    if (text.size() > kMaxChatInput) text.resize(kMaxChatInput);
    if (text.empty()) return;
    // The text comes back through the local host, like everybody else's.
    network_->QueueChatMessage(text);
    views_.chat.ClearInput();
    views_.chat.FocusInput();
}

bool CLumvaleDialog::StartAddHost(const std::string& typedText,
                                  std::function<void(AddHostOutcome)> done) {
    const std::string text = typedText.substr(0, kMaxHostTextLength);
    if (text.empty() || !Running()) return false;
    const HostResolver& resolve = options_.resolveHost ? options_.resolveHost : net::ResolveHost;
    hostLookup_ = std::make_unique<HostLookup>(text, resolve, views_.clock.NowMs());
    hostLookupDone_ = std::move(done);
    return true;
}

void CLumvaleDialog::CancelAddHost() {
    hostLookup_.reset();
    hostLookupDone_ = nullptr;
}

void CLumvaleDialog::FinishAddHost() {
    if (!hostLookup_ || !Running()) return;
    const auto result = hostLookup_->Poll(views_.clock.NowMs());
    if (!result) return;
    const std::string text = hostLookup_->Text();
    const auto done = std::move(hostLookupDone_);
    CancelAddHost();
    if (!*result) {
        if (done) done(AddHostOutcome::Unresolved);
        return;
    }
    SaveHostMru(settings_, MruAfterAccept(text, DisplayOrder(LoadHostMru(settings_))));
    // Remembered so that a host no announcement brings is back after a restart.
    if (RememberHost(settings_, text)) rememberedAddresses_[**result] = text;
    network_->AddHost(**result, text, HostKind::Manual);
    if (done) done(AddHostOutcome::Accepted);
}

void CLumvaleDialog::RemoveSelectedHost() {
    if (!Running()) return;
    const CNetNode* node = views_.tree.SelectedNode();
    if (node == nullptr || !node->IsHost() || node->IsLocalHost()) return;
    const Ipv4 address = node->GetAddress();
    if (const auto remembered = rememberedAddresses_.find(address);
        remembered != rememberedAddresses_.end()) {
        static_cast<void>(ForgetHost(settings_, remembered->second));
        rememberedAddresses_.erase(remembered);
    }
    // Reported back as a host-disappeared event.
    network_->RemoveHost(address);
}

void CLumvaleDialog::SelectParent() {
    if (!Running()) return;
    const CNetNode* node = views_.tree.SelectedNode();
    if (node == nullptr || node->GetParent() == nullptr) return;
    views_.tree.SelectNode(*node->GetParent());
    FillFileList();
}

void CLumvaleDialog::NotifyHostsModified() {
    if (!Running()) return;
    for (std::size_t i = 0; i < model_->GetHostCount(); ++i) {
        network_->AddHostModifiedJob(model_->GetHostAddress(i), &closing_);
    }
}

void CLumvaleDialog::ApplyHostName() {
    if (!Running()) return;
    const std::string fallback =
        options_.computerName.empty() ? net::GetLocalHostName() : options_.computerName;
    settings_.GetString(settings_keys::kGlobal, settings_keys::kHostName, hostName_, fallback);
    network_->SetServerHostName(hostName_);
    if (webView_) (void)webView_->Apply(hostName_);
    NotifyHostsModified();
}

std::string CLumvaleDialog::ApplyWebView() {
    if (!webView_ || webView_->Apply(hostName_)) return {};
    return FormatText(Translate("The web view cannot start: another program uses TCP port %u."),
                      {static_cast<unsigned>(options_.webView.port)});
}

std::uint16_t CLumvaleDialog::WebViewPort() const {
    return webView_ ? webView_->Port() : 0;
}

void CLumvaleDialog::OnShareAddedByDrop() {
    if (!Running()) return;
    network_->AddExpandJob(LoopbackIpv4(), "\\", &closing_);
}

void CLumvaleDialog::OnFirstRunFinished() {
    if (!Running()) return;
    // The local host is the tree's first item.
    network_->AddExpandJob(LoopbackIpv4(), "\\", &closing_);
    ApplyHostName();
}

std::optional<LocalShare> CLumvaleDialog::SelectedLocalShare() const {
    const CNetNode* node = views_.tree.SelectedNode();
    if (!IsLocalShareNode(node)) return std::nullopt;
    LocalShare share{node->GetName(), {}};
    settings_.GetString(settings_keys::kShares, share.name, share.folder, "");
    return share;
}

MenuState CLumvaleDialog::GetMenuState() const {
    MenuState state;
    if (!Running()) return state;
    const FocusTarget focus = Focus();
    if (focus == FocusTarget::Tree) {
        const CNetNode* node = views_.tree.SelectedNode();
        state.addShare = node != nullptr && node->IsLocalHost();
        state.removeShare = IsLocalShareNode(node);
        state.shareProperties = state.removeShare;
        state.removeHost = IsManualHostNode(node);
        state.refresh = true;
    }
    state.download = CanDownload();
    if (focus == FocusTarget::TransferList) {
        const std::vector<std::size_t> rows = views_.transfers.SelectedRows();
        state.cancel = !rows.empty();
        state.pause = transfers_->CanPause(rows);
        state.resume = transfers_->CanResume(rows);
    }
    int addOnFeatures = 0;
    settings_.GetInt(settings_keys::kGlobal, settings_keys::kAddOnFeatures, addOnFeatures, 0);
    state.showHostCommands = addOnFeatures != 0 || options_.debugFeatures;
    std::string lastFolder;
    settings_.GetString(settings_keys::kGlobal, settings_keys::kLastDownloadPath, lastFolder, "");
    if (!lastFolder.empty() && IsExistingFolder(lastFolder)) state.lastDownloadFolder = lastFolder;
    return state;
}

bool CLumvaleDialog::ConfirmClose() {
    if (!transfers_) return true;
    const bool ask = CloseNeedsQuestion(transfers_->Running());
    const Answer answer =
        ask ? views_.prompt.Ask(Question::ExitWhileTransferring,
                                Text(StringId::ExitWhileTransferring), PromptButtons::YesNo)
            : Answer::Yes;
    return MayProceed(ask, answer);
}

}  // namespace ui
