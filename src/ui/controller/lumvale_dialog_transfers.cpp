// Transfer events: the bookkeeping lives in Transfers; the controller only hands them on.
#include "ui/controller/lumvale_dialog.h"
#include "ui/transfers/transfers.h"

namespace ui {

void CLumvaleDialog::OnDownloadStarted(JobId id) {
    transfers_->OnDownloadStarted(id);
}

void CLumvaleDialog::OnDownloadProgress(JobId id, unsigned percent, double rateKBs) {
    transfers_->OnDownloadProgress(id, percent, rateKBs);
}

void CLumvaleDialog::OnDownloadFinished(JobId id, const util::Status& outcome) {
    transfers_->OnDownloadFinished(id, outcome);
}

void CLumvaleDialog::OnDownloadVerified(JobId id) {
    transfers_->OnDownloadVerified(id);
}

const StopFlag* CLumvaleDialog::OnUploadRequested(std::uint32_t uploadId) {
    return transfers_->OnUploadRequested(uploadId);
}

void CLumvaleDialog::OnUploadStarted(std::uint32_t uploadId) {
    transfers_->OnUploadStarted(uploadId);
}

void CLumvaleDialog::OnUploadProgress(std::uint32_t uploadId, unsigned percent, double rateKBs) {
    transfers_->OnUploadProgress(uploadId, percent, rateKBs);
}

void CLumvaleDialog::OnUploadFinished(std::uint32_t uploadId, bool succeeded) {
    transfers_->OnUploadFinished(uploadId, succeeded);
}

void CLumvaleDialog::CancelSelectedTransfers() {
    if (!Running()) return;
    transfers_->CancelRows(views_.transfers.SelectedRows());
}

}  // namespace ui
