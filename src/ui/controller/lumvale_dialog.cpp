// Creation of the controller and its network objects, the timers and the file list.
#include "ui/controller/lumvale_dialog.h"

#include "net/interfaces.h"
#include "ui/controller/chat_history.h"
#include "ui/controller/event_sound_player.h"
#include "ui/controller/lumvale_dialog_listeners.h"
#include "ui/text/ui_strings.h"
#include "ui/transfers/transfers.h"

namespace ui {

namespace {

EntryKind KindOf(const CNetNode& node) {
    if (!node.IsFolder()) return EntryKind::File;
    return node.IsShare() ? EntryKind::Share : EntryKind::Folder;
}

}  // namespace

CLumvaleDialog::CLumvaleDialog(ControllerViews views, ControllerOptions options,
                               NetworkFactory networkFactory)
    : views_(views),
      options_(std::move(options)),
      networkFactory_(std::move(networkFactory)),
      settings_(options_.settingsFile),
      sounds_(std::make_unique<EventSoundPlayer>(views_.sound, settings_)),
      chatHistory_(std::make_unique<ChatHistory>(views_.chat)),
      numberFormat_(options_.numbers),
      hint_(views_.clock.NowMs()) {}

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
        [this](Ipv4 address) { return KnownHostName(address); }, numberFormat_);
    ApplyHostName();
    // Comes back at once as a host-appeared event, which puts the local host into the tree.
    network_->AddHost(LoopbackIpv4(), hostName_, HostKind::LocalHost);
    SortByColumn(0);
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
    if (network_) RunNoticedRefreshes();
}

void CLumvaleDialog::OnTenthSecondTimer() {
    if (!network_) return;
    network_->CheckAddressChange();
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
    FillFileList();
}

void CLumvaleDialog::OnTreeItemExpanding(CNetNode& node) {
    RequestChildListings(node, false);
}

void CLumvaleDialog::SortByColumn(int column) {
    const FileListSort::Change change = sort_.Click(column);
    if (change.clearedColumn) views_.files.SetSortMark(*change.clearedColumn, SortMark::None);
    views_.files.SetSortMark(change.markedColumn, change.mark);
    FillFileList();
}

void CLumvaleDialog::FillFileList() {
    CNetNode* node = views_.tree.SelectedNode();
    views_.files.Clear();
    fileRows_.clear();
    fileListFilled_ = node != nullptr;
    // A cut listing must not pass for the whole folder (or the whole share list of a host).
    const std::size_t leftOut = node != nullptr ? node->GetListingLeftOut() : 0;
    views_.files.SetStatusText(
        leftOut > 0 ? FormatText(StringId::ListingCut, {std::to_string(leftOut)}) : std::string());
    // Without a node nothing is shown, so that no row outlives the node it stands for.
    if (node == nullptr) return;
    fileListAddress_ = node->GetAddress();
    fileListPath_ = node->GetPath();
    node->SortChildren(sort_.Column(), sort_.Ascending());
    for (const auto& child : node->GetChildren()) {
        const FileListRow row =
            MakeFileListRow(child->GetName(), KindOf(*child), child->GetSize(), numberFormat_);
        views_.files.AddRow(row.name, row.sizeText, row.image);
        fileRows_.push_back(child.get());
    }
}

void CLumvaleDialog::RefreshFileListAfterChange(Ipv4 address, const std::string& path) {
    if (!fileListFilled_ || fileListAddress_ != address) return;
    if (fileListPath_.compare(0, path.size(), path) != 0) return;
    FillFileList();
}

std::vector<CNetNode*> CLumvaleDialog::SelectedFileNodes() const {
    std::vector<CNetNode*> nodes;
    for (const std::size_t row : views_.files.SelectedRows()) {
        if (row < fileRows_.size()) nodes.push_back(fileRows_[row]);
    }
    return nodes;
}

}  // namespace ui
