// Listings arriving and failing.
#include "net/socket.h"
#include "ui/controller/lumvale_dialog.h"
#include "ui/text/ui_strings.h"
#include "ui/transfers/transfer_paths.h"
#include "ui/transfers/transfers.h"
#include "util/trace.h"

namespace ui {

void CLumvaleDialog::OnExpandSucceeded(JobId id, const std::vector<DirEntry>& listing,
                                       std::size_t leftOut) {
    JobInfo job;
    if (!network_->GetJobInfo(id, job)) {
        transfers_->OnListingFailed(id);
        return;
    }
    if (leftOut > 0) {
        XUTIL_DIAG("listing of %s on %s cut, %zu entries left out\n", job.remotePath.c_str(),
                   net::FormatIpv4(job.address).c_str(), leftOut);
    }
    CNetNode* node = model_->SetListing(job.address, job.remotePath, listing);
    if (node != nullptr) node->SetListingLeftOut(leftOut);
    // A folder download also takes listings of folders that the tree does not hold.
    const std::string listedPath =
        node ? node->GetPath() : StripTrailingBackslashes(job.remotePath) + '\\';
    transfers_->OnListing(id, job.address, listedPath, listing, leftOut);
    if (node != nullptr && node->GetTreeItem() != kNoTreeItem) {
        const bool expanded = views_.tree.IsExpanded(*node);
        if (views_.tree.SelectedNode() == node) {
            FillFileList();
        } else {
            fileList_.RefreshAfterChange(job.address, listedPath);
        }
        if (expanded) RequestChildListings(*node, true);
    }
    // Last: the walk may select a row, which a refill above would undo.
    if (reveal_.Awaits(job.address, listedPath)) AdvanceReveal();
}

void CLumvaleDialog::RequestChildListings(CNetNode& node, bool askAgain) {
    // One level deeper than what is visible, so that the expand buttons of the visible
    // sub-folders are right.
    const auto& children = node.GetChildren();
    for (auto child = children.rbegin(); child != children.rend(); ++child) {
        if (!(*child)->IsFolder() || (!askAgain && (*child)->IsListingRequested())) continue;
        (*child)->SetListingRequested(true);
        network_->AddExpandJob((*child)->GetAddress(), (*child)->GetPath(), &closing_);
    }
}

void CLumvaleDialog::OnExpandFailed(JobId id) {
    JobInfo job;
    if (network_->GetJobInfo(id, job)) {
        // Expanding the folder again asks again.
        if (CNetNode* node = model_->FindNode(job.address, job.remotePath)) {
            node->SetListingRequested(false);
        }
        if (reveal_.Awaits(job.address, job.remotePath)) AdvanceReveal();
    }
    transfers_->OnListingFailed(id);
}

}  // namespace ui
