// The folder download as the main window shows it: the shared download lists the folders and
// fetches the files under one row; here its row follows it, and its record is kept until the
// last of its jobs has reported.
#include <algorithm>

#include "ui/controller/file_list_rows.h"
#include "ui/text/ui_strings.h"
#include "ui/transfers/transfer_paths.h"
#include "ui/transfers/transfers.h"

namespace ui {

namespace {

// A file's failure says why; a listing that did not come says only that it failed.
std::optional<util::ErrorKind> FailureReason(
    const std::optional<client::DownloadFailure>& failure) {
    if (!failure) return std::nullopt;
    switch (failure->kind) {
        case client::FailureKind::File:
            return failure->outcome.kind();
        case client::FailureKind::Folder:
            return util::ErrorKind::LocalWriteFailed;
        case client::FailureKind::Listing:
            break;
    }
    return std::nullopt;
}

}  // namespace

void Transfers::JobReported(JobId id) {
    for (auto& walk : folderDownloads_) std::erase(walk->jobsOut, id);
    for (auto& walk : retiredWalks_) std::erase(walk->jobsOut, id);
    std::erase_if(retiredWalks_, [](const auto& walk) { return walk->jobsOut.empty(); });
}

void Transfers::StartFolderDownload(Ipv4 address, const std::string& remotePath,
                                    const std::string& targetFolder) {
    Launch(Queue({address, HostColumn(address), StripTrailingBackslashes(remotePath), targetFolder,
                  true, 0}));
    NoteUnfinishedChanged();
}

void Transfers::OnListing(JobId id, Ipv4 address, const std::string& listedPath,
                          const std::vector<DirEntry>& listing, std::size_t leftOut) {
    const std::string folderPath = StripTrailingBackslashes(listedPath);
    // Walks may end (and be deleted) below; collect first.
    std::vector<FolderDownload*> interested;
    for (const auto& walk : folderDownloads_) {
        if (walk->download.Address() == address && walk->download.Awaits(folderPath))
            interested.push_back(walk.get());
    }
    for (FolderDownload* walk : interested) {
        walk->download.OnListing(folderPath, listing, leftOut);
        FollowFolderDownload(*walk);
    }
    JobReported(id);
}

void Transfers::OnListingFailed(JobId id) {
    for (const auto& walk : folderDownloads_) {
        if (!walk->download.OnListingFailed(id)) continue;
        FollowFolderDownload(*walk);
        break;
    }
    JobReported(id);
}

void Transfers::FollowFolderDownload(FolderDownload& walk) {
    const client::FolderDownload& download = walk.download;
    const auto row = rows_.FindByFolder(&walk);
    QueuedDownload* const queued = walk.queued;
    if (download.End() == client::DownloadEnd::Running) return;
    if (queued != nullptr && queued->phase == QueuedDownload::Phase::Pausing &&
        download.End() == client::DownloadEnd::Cancelled) {
        // The row lets go of the walk first, so that ending the walk leaves the row alone.
        ShowPaused(*queued);
        EndWalk(walk);
        return;
    }
    if (const auto reason = FailureReason(download.Failure());
        queued != nullptr && download.End() == client::DownloadEnd::Failed && reason &&
        IsInterruption(*reason)) {
        ShowInterrupted(*queued);
        EndWalk(walk);
        return;
    }
    switch (download.End()) {
        case client::DownloadEnd::Running:
            return;
        case client::DownloadEnd::Finished:
            if (!row) break;
            if (download.Incomplete() && download.Walk().EntriesLeftOut() == 0) {
                // Names refused or files that could not be written safely: not all arrived.
                rows_.SetEnded(*row, TransferState::Failed, util::ErrorKind::LocalWriteFailed);
                sounds_.Play(EventSound::TransferFailed);
                break;
            }
            rows_.SetEnded(*row, TransferState::Finished);
            // What arrived is all there is, but not all the host has: the row says so.
            if (const std::size_t cut = download.Walk().EntriesLeftOut(); cut > 0) {
                rows_.SetStatus(*row, FormatText(StringId::ListingCut, {std::to_string(cut)}),
                                TransferState::Finished);
            }
            sounds_.Play(EventSound::TransferFinished);
            break;
        case client::DownloadEnd::Failed:
        case client::DownloadEnd::Cancelled:
            if (!row) break;
            rows_.SetEnded(*row,
                           download.End() == client::DownloadEnd::Cancelled
                               ? TransferState::Cancelled
                               : TransferState::Failed,
                           FailureReason(download.Failure()));
            sounds_.Play(EventSound::TransferFailed);
            break;
    }
    // The walk may be gone after this.
    EndWalk(walk);
    if (queued != nullptr) {
        Unqueue(queued);
        NoteUnfinishedChanged();
    }
}

void Transfers::EndWalk(FolderDownload& walk) {
    if (const auto row = rows_.FindByFolder(&walk)) rows_.MarkDone(*row);
    const auto owned =
        std::find_if(folderDownloads_.begin(), folderDownloads_.end(),
                     [&](const auto& candidate) { return candidate.get() == &walk; });
    if (owned == folderDownloads_.end()) return;
    if (!walk.jobsOut.empty()) {
        // Its jobs still read the cancel flag: stop them and keep the record until they report.
        walk.download.Cancel();
        retiredWalks_.push_back(std::move(*owned));
    }
    folderDownloads_.erase(owned);
}

}  // namespace ui
