// Creation of the controller and its network objects, the timers and the view notifications.
#include "ui/controller/lumvale_dialog.h"

#include "net/interfaces.h"
#include "ui/controller/chat_history.h"
#include "ui/controller/event_sound_player.h"
#include "ui/controller/host_lookup.h"
#include "ui/controller/host_refresh_tracker.h"
#include "ui/controller/lumvale_dialog_listeners.h"
#include "ui/controller/permission_questions.h"
#include "ui/controller/shown_text.h"
#include "ui/controller/web_view_host.h"
#include "ui/desktop/remembered_hosts.h"
#include "ui/text/ui_strings.h"
#include "ui/transfers/transfers.h"

namespace ui {

CLumvaleDialog::CLumvaleDialog(ControllerViews views, ControllerOptions options,
                               NetworkFactory networkFactory)
    : shownText_(std::make_unique<ShownTextViews>(views)),
      views_(shownText_->Views()),
      options_(std::move(options)),
      networkFactory_(std::move(networkFactory)),
      settings_(options_.settingsFile),
      sounds_(std::make_unique<EventSoundPlayer>(views_.sound, settings_)),
      chatHistory_(std::make_unique<ChatHistory>(views_.chat)),
      numberFormat_(options_.numbers),
      fileList_(views_.files, views_.tree, numberFormat_),
      hint_(views_.clock.NowMs()),
      questions_(std::make_unique<PermissionQuestions>()) {}

CLumvaleDialog::~CLumvaleDialog() {
    Shutdown();
}

void CLumvaleDialog::Start() {
    if (network_ || shutdownDone_) return;
    Clock& clock = views_.clock;
    model_ = std::make_unique<CNetStructure>(views_.treeSink, &closing_,
                                             [&clock] { return clock.NowMs(); });
    listeners_ = std::make_unique<ControllerListeners>(*this, views_.dispatcher);
    const NetworkListeners listeners = listeners_->All();
    network_ = networkFactory_(
        NetworkSetup{listeners, &closing_, options_.settingsFile, options_.debugFeatures});
    transfers_ = std::make_unique<Transfers>(
        *network_, views_.transfers, *sounds_,
        [this](Ipv4 address) { return KnownHostName(address); }, numberFormat_,
        options_.downloadStateFile);
    transfers_->RestoreUnfinished();
    ApplyDownloadLimit();
    refreshes_ = std::make_unique<HostRefreshTracker>(*network_, views_.clock, &closing_);
    ApplyHostName();
    if (options_.ownsWebView) {
        webView_ = std::make_unique<WebViewHost>(views_.dispatcher, views_.prompt,
                                                 options_.settingsFile, options_.webView);
        // A view that cannot listen is told about when the user switches it on, not at every
        // start.
        (void)ApplyWebView();
    }
    // Comes back at once as a host-appeared event, which puts the local host into the tree.
    network_->AddHost(LoopbackIpv4(), hostName_, HostKind::LocalHost);
    SortByColumn(0);
    WatchRememberedHosts();
}

std::size_t CLumvaleDialog::ChatHistoryLength() const {
    return chatHistory_->Length();
}

std::optional<std::string> CLumvaleDialog::KnownHostName(Ipv4 address) const {
    std::size_t index = 0;
    if (!model_ || !model_->FindHost(address, index)) return std::nullopt;
    return model_->GetHostName(index);
}

void CLumvaleDialog::OnSecondTimer() {
    if (transfers_) transfers_->CountDown();
    if (refreshes_) refreshes_->RunNoticed();
    if (network_) WatchRememberedHosts();
}

void CLumvaleDialog::WatchRememberedHosts() {
    for (const auto& [text, address] :
         rememberedHosts_.Poll(LoadRememberedHosts(settings_), views_.clock.NowMs())) {
        rememberedAddresses_[address] = text;
        std::size_t index = 0;
        if (!model_->FindHost(address, index)) network_->AddHost(address, text, HostKind::Manual);
    }
}

void CLumvaleDialog::OnTenthSecondTimer() {
    if (!Running()) return;
    network_->CheckAddressChange();
    FinishAddHost();
    StepLonelyHostHint();
}

void CLumvaleDialog::StepLonelyHostHint() {
    const HintStep step = hint_.OnTimer(views_.clock.NowMs(), model_->GetHostCount());
    if (step.removeItem && hintItem_ != kNoTreeItem) {
        views_.treeSink.DeleteItem(hintItem_);
        hintItem_ = kNoTreeItem;
    }
    if (step.insertItem && hintItem_ == kNoTreeItem) {
        hintItem_ = views_.treeSink.InsertItem(Text(StringId::LonelyHostHint), kTreeRoot);
    }
    if (step.setImage && hintItem_ != kNoTreeItem) {
        views_.treeSink.SetItemImages(hintItem_, step.image, step.image);
    }
}

void CLumvaleDialog::OnTreeSelectionChanged() {
    if (!Running()) return;
    FillFileList();
}

void CLumvaleDialog::OnTreeItemExpanding(CNetNode& node) {
    if (!Running()) return;
    RequestChildListings(node, false);
}

void CLumvaleDialog::SortByColumn(int column) {
    if (!Running()) return;
    fileList_.SortByColumn(column);
}

void CLumvaleDialog::FillFileList() {
    if (!Running()) return;
    fileList_.Fill();
}

}  // namespace ui
