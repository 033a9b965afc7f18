// The search box: a search of every host at once, its results, downloads from them and the walk
// of "Show in tree".
#include <algorithm>

#include "ui/controller/lumvale_dialog.h"
#include "ui/transfers/transfers.h"

namespace ui {

namespace {

// Longer patterns find nothing a shorter one would not: a name is 255 bytes at most.
constexpr std::size_t kMaxSearchPattern = 255;

struct SplitPath {
    std::string parent;  // ends in a backslash
    std::string name;
};

SplitPath SplitAtLastName(const std::string& path) {
    const std::size_t slash = path.rfind('\\');
    return {path.substr(0, slash + 1), path.substr(slash + 1)};
}

}  // namespace

void CLumvaleDialog::StartSearch(const std::string& pattern) {
    if (!Running()) return;
    CancelRunningSearches();
    const std::string text = pattern.substr(0, kMaxSearchPattern);
    if (text.empty()) {
        CloseSearch();
        return;
    }
    search_.Begin();
    for (std::size_t i = 0; i < model_->GetHostCount(); ++i) {
        // One does not download from oneself, so one does not search there either.
        if (!options_.debugFeatures && model_->GetHostKind(i) == HostKind::LocalHost) continue;
        const Ipv4 address = model_->GetHostAddress(i);
        search_.Asking(network_->StartSearch(address, text), address, model_->GetHostName(i));
    }
}

void CLumvaleDialog::OnSearchReply(SearchId id, const SearchReply& reply) {
    if (!Running()) return;
    (void)search_.OnReply(id, reply);
}

void CLumvaleDialog::CancelRunningSearches() {
    for (const SearchId id : search_.TakeRunning()) network_->CancelSearch(id);
}

void CLumvaleDialog::CloseSearch() {
    if (!Running()) return;
    CancelRunningSearches();
    if (search_.Shown()) search_.Hide();
}

bool CLumvaleDialog::CanDownloadSearchResults() const {
    const std::vector<SearchResult> results = search_.SelectedResults();
    if (results.empty()) return false;
    return options_.debugFeatures ||
           std::none_of(results.begin(), results.end(), [](const SearchResult& result) {
               return result.address == LoopbackIpv4();
           });
}

void CLumvaleDialog::OpenSelectedResult(bool useLastFolder) {
    if (!Running()) return;
    const std::vector<SearchResult> results = search_.SelectedResults();
    if (results.empty()) return;
    if (results.front().hit.folder) {
        ShowSearchResultInTree();
    } else {
        DownloadSearchResults(useLastFolder);
    }
}

void CLumvaleDialog::DownloadSearchResults(bool useLastFolder) {
    if (!Running() || !CanDownloadSearchResults()) return;
    // Copied out first, like the file list's rows: answers arriving while the questions are
    // open change the result list.
    std::vector<DownloadRequest> requests;
    for (const SearchResult& result : search_.SelectedResults()) {
        if (transfers_->IsBeingDownloaded(result.address, result.hit.path)) continue;
        const SplitPath split = SplitAtLastName(result.hit.path);
        auto same = [&](const DownloadRequest& request) {
            return request.address == result.address && request.nodePath == split.parent;
        };
        auto request = std::find_if(requests.begin(), requests.end(), same);
        if (request == requests.end()) {
            requests.push_back({result.address, split.parent, {}});
            request = std::prev(requests.end());
        }
        request->items.push_back({split.name, split.name, result.hit.folder, result.hit.size});
    }
    if (requests.empty()) return;
    const auto targetFolder = ChooseTargetFolder(useLastFolder);
    if (!targetFolder || !Running()) return;
    for (const DownloadRequest& request : requests) {
        if (!StartDownloads(request, *targetFolder)) return;
    }
}

void CLumvaleDialog::ShowSearchResultInTree() {
    if (!Running()) return;
    const std::vector<SearchResult> results = search_.SelectedResults();
    if (results.empty()) return;
    const SearchResult& result = results.front();
    TreeReveal::Target target{result.address, {}, {}};
    if (result.hit.folder) {
        target.folderPath = result.hit.path + '\\';
    } else {
        const SplitPath split = SplitAtLastName(result.hit.path);
        target.folderPath = split.parent;
        target.itemName = split.name;
    }
    reveal_.Begin(std::move(target));
    AdvanceReveal();
}

void CLumvaleDialog::AdvanceReveal() {
    const std::string itemName = reveal_.Goal().itemName;
    const TreeReveal::Step step = reveal_.Advance(*model_);
    if (step.list != nullptr) {
        // Marked like the tree's own requests, so that opening the folders on the way does not
        // ask again; a second listing would replace the nodes the walk is about to select.
        step.list->SetListingRequested(true);
        network_->AddExpandJob(step.list->GetAddress(), step.list->GetPath(), &closing_);
        return;
    }
    if (step.reached != nullptr) FinishReveal(*step.reached, itemName);
}

void CLumvaleDialog::FinishReveal(CNetNode& folder, const std::string& itemName) {
    std::vector<const CNetNode*> above;
    for (const CNetNode* node = folder.GetParent(); node != nullptr; node = node->GetParent()) {
        above.push_back(node);
    }
    for (auto node = above.rbegin(); node != above.rend(); ++node) views_.tree.ExpandNode(**node);
    CloseSearch();
    views_.tree.SelectNode(folder);
    FillFileList();
    if (itemName.empty()) return;
    const std::vector<CNetNode*>& rows = fileList_.Nodes();
    const auto row = std::find_if(rows.begin(), rows.end(), [&](const CNetNode* node) {
        return node->GetName() == itemName;
    });
    if (row != rows.end()) views_.files.SelectRow(static_cast<std::size_t>(row - rows.begin()));
}

}  // namespace ui
