// Transfer events: the bookkeeping lives in Transfers; the controller only hands them on.
#include "core/settings_keys.h"
#include "ui/controller/lumvale_dialog.h"
#include "ui/desktop/options_settings.h"
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

void CLumvaleDialog::PauseSelectedTransfers() {
    if (!Running()) return;
    transfers_->PauseRows(views_.transfers.SelectedRows());
}

void CLumvaleDialog::ResumeSelectedTransfers() {
    if (!Running()) return;
    transfers_->ResumeRows(views_.transfers.SelectedRows());
}

void CLumvaleDialog::ApplyDownloadLimit() {
    if (!Running()) return;
    int kilobytes = 0;
    settings_.GetInt(settings_keys::kGlobal, settings_keys::kDownloadLimit, kilobytes, 0);
    network_->SetDownloadLimit(DownloadLimitBytes(kilobytes));
}

}  // namespace ui
