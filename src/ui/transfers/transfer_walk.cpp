// The folder download as the main window runs it: the shared walk lists the folders and hands out
// the files; here a few of its files are fetched at a time under one row, and the download ends
// when nothing is left, when a file or a listing fails, or when it is cancelled.
#include <algorithm>

#include "ui/controller/file_list_rows.h"
#include "ui/text/ui_strings.h"
#include "ui/transfers/transfer_paths.h"
#include "ui/transfers/transfers.h"

namespace ui {

void Transfers::JobReported(JobId id) {
    for (auto& walk : folderDownloads_) walk->JobReported(id);
    for (auto& walk : retiredWalks_) walk->JobReported(id);
    std::erase_if(retiredWalks_, [](const auto& walk) { return !walk->HoldsJobs(); });
}

void Transfers::ListWaitingFolders(FolderDownload& walk) {
    walk.ListWaitingFolders([&](const std::string& folderPath) {
        return network_.AddExpandJob(walk.Address(), folderPath, &walk.Cancelled());
    });
}

void Transfers::StartFolderDownload(Ipv4 address, const std::string& remotePath,
                                    const std::string& targetFolder) {
    auto walk = std::make_unique<FolderDownload>(address, StripTrailingBackslashes(remotePath),
                                                 targetFolder);
    TransferRow row;
    row.item.folder = walk.get();
    row.name = std::string(LastComponent(walk->RootPath()));
    row.status = Text(StringId::StatusWait);
    row.host = HostColumn(address);
    row.image = kImageDownload;
    rows_.Append(std::move(row));
    ListWaitingFolders(*walk);
    folderDownloads_.push_back(std::move(walk));
}

void Transfers::OnListing(JobId id, Ipv4 address, const std::string& listedPath,
                          const std::vector<DirEntry>& listing, std::size_t leftOut) {
    const std::string folderPath = StripTrailingBackslashes(listedPath);
    // Walks may end (and be deleted) below; collect first.
    std::vector<FolderDownload*> interested;
    for (const auto& walk : folderDownloads_) {
        if (walk->Address() == address && walk->Awaits(folderPath))
            interested.push_back(walk.get());
    }
    for (FolderDownload* walk : interested) {
        // Names the walk refuses are left out; the rest of the folder still arrives.
        walk->OnListing(folderPath, listing, leftOut);
        ListWaitingFolders(*walk);
        ContinueFolderDownload(*walk, true);
    }
    JobReported(id);
}

void Transfers::OnListingFailed(JobId id) {
    for (const auto& walk : folderDownloads_) {
        // Without that folder's listing the download cannot be complete.
        if (!walk->OnListingFailed(id)) continue;
        EndWalkFailed(*walk);
        break;
    }
    JobReported(id);
}

void Transfers::EndWalkFailed(FolderDownload& walk) {
    if (const auto row = rows_.FindByFolder(&walk)) {
        rows_.SetEnded(*row,
                       walk.Cancelled().load() ? TransferState::Cancelled : TransferState::Failed);
    }
    sounds_.Play(EventSound::TransferFailed);
    ContinueFolderDownload(walk, false);
}

bool Transfers::ContinueFolderDownload(FolderDownload& walk, bool succeeded) {
    if (!succeeded) {
        EndWalk(walk);
        return false;
    }
    if (walk.Cancelled().load()) {
        // Cancelled while a file went well or a listing still arrived: say so on the row.
        EndWalkFailed(walk);
        return false;
    }
    const auto row = rows_.FindByFolder(&walk);
    if (!row) return true;
    StartFiles(walk);
    if (!walk.filesInFlight.empty()) return true;
    if (walk.Exhausted()) {
        rows_.SetEnded(*row, TransferState::Finished);
        // What arrived is all there is, but not all the host has: the row says so.
        if (const std::size_t cut = walk.EntriesLeftOut(); cut > 0) {
            rows_.SetStatus(*row, FormatText(StringId::ListingCut, {std::to_string(cut)}),
                            TransferState::Finished);
        }
        sounds_.Play(EventSound::TransferFinished);
        EndWalk(walk);
        return false;
    }
    return true;
}

void Transfers::StartFiles(FolderDownload& walk) {
    while (walk.filesInFlight.size() < kFolderFilesInFlight) {
        // None while the files found so far are taken and listings are still on their way.
        const auto file = walk.TakeNextFile();
        if (!file) return;
        const JobId job =
            network_.AddRetrieveJob(walk.Address(), file->remotePath, file->localPath.string(),
                                    &walk.Cancelled(), static_cast<std::uint64_t>(file->size));
        walk.Track(job);
        walk.filesInFlight.push_back(job);
    }
}

void Transfers::EndWalk(FolderDownload& walk) {
    if (const auto row = rows_.FindByFolder(&walk)) rows_.MarkDone(*row);
    const auto owned =
        std::find_if(folderDownloads_.begin(), folderDownloads_.end(),
                     [&](const auto& candidate) { return candidate.get() == &walk; });
    if (owned == folderDownloads_.end()) return;
    if (walk.HoldsJobs()) {
        // Its jobs still read the cancel flag: stop them and keep the record until they report.
        walk.Cancelled() = true;
        retiredWalks_.push_back(std::move(*owned));
    }
    folderDownloads_.erase(owned);
}

}  // namespace ui
