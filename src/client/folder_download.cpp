#include "client/folder_download.h"

#include <system_error>
#include <utility>

namespace client {

namespace fs = std::filesystem;

FolderDownload::FolderDownload(Ipv4 address, std::string rootPath, fs::path localDir,
                               DownloadJobs jobs, FolderDownloadEvents events,
                               FolderDownloadSettings settings)
    : walk_(address, std::move(rootPath), localDir, settings.limits),
      localDir_(std::move(localDir)),
      jobs_(std::move(jobs)),
      events_(std::move(events)),
      settings_(settings) {}

void FolderDownload::Start() {
    Continue();
}

void FolderDownload::Fail(FailureKind kind, std::string remotePath, fs::path localPath,
                          util::Status outcome) {
    if (end_ != DownloadEnd::Running) return;
    // The files still running stop too, so that nothing is written after the failure.
    const bool cancelled = Cancelled().load();
    Cancel();
    end_ = cancelled ? DownloadEnd::Cancelled : DownloadEnd::Failed;
    if (cancelled) return;
    failure_ =
        DownloadFailure{kind, std::move(remotePath), std::move(localPath), std::move(outcome)};
    if (events_.onFailed) events_.onFailed(*failure_);
}

void FolderDownload::Skip(const Skipped& skipped) {
    ++skipped_;
    if (events_.onSkipped) events_.onSkipped(skipped);
}

bool FolderDownload::CreateFolder(const fs::path& folder) {
    std::error_code error;
    if (!StaysInside(localDir_, folder / "x")) return false;
    return fs::create_directories(folder, error) || !error;
}

bool FolderDownload::OnListing(const std::string& folderPath, const std::vector<DirEntry>& entries,
                               std::size_t leftOut) {
    if (end_ != DownloadEnd::Running || !walk_.Awaits(folderPath)) return false;
    const FolderWalk::ListingUse use = walk_.OnListing(folderPath, entries, leftOut);
    if (use.leftOut > 0 && events_.onListingCut) events_.onListingCut(use.leftOut);
    for (const WalkRefusal& refusal : use.refused) {
        Skip({SkipKind::Refused, refusal.remotePath, {}, refusal});
    }
    // Empty folders arrive too; a folder that cannot be made inside the target ends it all.
    if (!use.localFolder.empty() && !CreateFolder(use.localFolder)) {
        Fail(FailureKind::Folder, folderPath, use.localFolder,
             util::MakeError(util::ErrorKind::LocalWriteFailed));
        return true;
    }
    Continue();
    return true;
}

bool FolderDownload::OnListingFailed(JobId job) {
    const auto path = walk_.AwaitedFolder(job);
    if (!walk_.OnListingFailed(job)) return false;
    // Without that folder's listing the download cannot be complete.
    Fail(FailureKind::Listing, path.value_or(std::string()), {},
         util::MakeError(util::ErrorKind::ConnectionLost));
    return true;
}

bool FolderDownload::OnFileFinished(JobId job, const util::Status& outcome) {
    const auto found = running_.find(job);
    if (found == running_.end()) return false;
    const WalkFile file = std::move(found->second);
    running_.erase(found);
    if (!outcome) {
        Fail(FailureKind::File, file.remotePath, file.localPath, outcome);
        return true;
    }
    ++filesDone_;
    bytesDone_ += file.size;
    Continue();
    return true;
}

void FolderDownload::Continue() {
    if (end_ != DownloadEnd::Running) return;
    if (Cancelled().load()) {
        // Cancelled while a file went well or a listing still arrived.
        end_ = DownloadEnd::Cancelled;
        return;
    }
    walk_.ListWaitingFolders(jobs_.addListing);
    while (running_.size() < settings_.filesInFlight) {
        // None while the files found so far are taken and listings are still on their way.
        auto file = walk_.TakeNextFile();
        if (!file) break;
        switch (
            CheckTarget(localDir_, file->localPath, settings_.overwrite, events_.mayOverwrite)) {
            case TargetCheck::Write: {
                const JobId job = jobs_.addFile(*file);
                running_.emplace(job, std::move(*file));
                break;
            }
            case TargetCheck::Outside:
                Skip({SkipKind::Outside, file->remotePath, file->localPath, {}});
                break;
            case TargetCheck::FolderInTheWay:
                Skip({SkipKind::FolderInTheWay, file->remotePath, file->localPath, {}});
                break;
            case TargetCheck::Kept:
                Skip({SkipKind::Kept, file->remotePath, file->localPath, {}});
                break;
        }
    }
    if (running_.empty() && walk_.Exhausted()) end_ = DownloadEnd::Finished;
}

}  // namespace client
