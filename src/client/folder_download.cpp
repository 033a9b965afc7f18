#include "client/folder_download.h"

#include <algorithm>
#include <system_error>
#include <utility>

namespace client {

namespace fs = std::filesystem;

namespace {

// One selection line at most: the walk's depth and name limits allow no longer host path.
constexpr std::size_t kMaxRemotePathBytes = proto::kMaxSelectionPath;

}  // namespace

FolderDownload::FolderDownload(Ipv4 address, std::string rootPath, fs::path localDir,
                               DownloadJobs jobs, FolderDownloadEvents events,
                               FolderDownloadSettings settings)
    : walk_(address, std::move(rootPath), localDir, settings.limits),
      localDir_(std::move(localDir)),
      jobs_(std::move(jobs)),
      events_(std::move(events)),
      settings_(settings),
      streaming_(static_cast<bool>(jobs_.addStream)) {}

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
    if (fs::create_directories(folder, error)) {
        createdFolders_.insert(folder);
        return true;
    }
    return !error;
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
    if (stream_ && job == streamJob_) return OnStreamFinished(outcome);
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

bool FolderDownload::OnStreamFinished(const util::Status& outcome) {
    const std::shared_ptr<StreamBatch> batch = std::move(stream_);
    stream_.reset();
    streamJob_ = 0;
    filesDone_ += static_cast<std::uint32_t>(batch->filesDone);
    bytesDone_ += static_cast<std::int64_t>(batch->bytesDone);
    if (batch->hostLacksStream && outcome.kind() != util::ErrorKind::Stopped) {
        // Checked already; they go the common way, like every file after them.
        streaming_ = false;
        for (WalkFile& file : batch->files) checked_.push_back(std::move(file));
    } else if (!outcome) {
        const WalkFile& failed = batch->files[std::min(batch->filesDone, batch->files.size() - 1)];
        Fail(FailureKind::File, failed.remotePath, failed.localPath, outcome);
        return true;
    }
    Continue();
    return true;
}

std::optional<WalkFile> FolderDownload::TakeCheckedFile() {
    while (auto file = walk_.TakeNextFile()) {
        // In a folder made by this download a stream's file needs no look at the disk once the
        // folder was found inside the target: nothing of the user's can be there, and a name that
        // is also one of the folders made goes the long way. Thousands of small files are spared
        // a lookup each.
        const fs::path folder = file->localPath.parent_path();
        if (streaming_ && createdFolders_.contains(folder) && insideFolders_.contains(folder) &&
            !createdFolders_.contains(file->localPath)) {
            return file;
        }
        // A stream's receiver looks at each folder again before it writes into it.
        switch (CheckTarget(localDir_, file->localPath, settings_.overwrite, events_.mayOverwrite,
                            streaming_ ? &insideFolders_ : nullptr)) {
            case TargetCheck::Write:
                return file;
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
        // A question may have been answered with a cancel.
        if (Cancelled().load()) break;
    }
    return std::nullopt;
}

void FolderDownload::StartStream() {
    // Every question about this batch is asked now, before it is asked for: the stream never
    // waits for the user, so the host's time limits never see a pause.
    auto batch = std::make_shared<StreamBatch>();
    batch->rootPath = walk_.RootPath();
    batch->localDir = localDir_;
    std::size_t selectionBytes = 0;
    while (batch->files.size() < settings_.streamLimits.maxFiles) {
        auto file = TakeCheckedFile();
        if (!file) break;
        selectionBytes += file->remotePath.size() - walk_.RootPath().size();
        batch->totalBytes += static_cast<std::uint64_t>(file->size);
        batch->files.push_back(std::move(*file));
        if (selectionBytes + 2 * kMaxRemotePathBytes > settings_.streamLimits.maxSelectionBytes) {
            break;
        }
    }
    if (batch->files.empty() || Cancelled().load()) return;
    stream_ = batch;
    streamJob_ = jobs_.addStream(std::move(batch));
}

void FolderDownload::Continue() {
    if (end_ != DownloadEnd::Running) return;
    if (Cancelled().load()) {
        // Cancelled while a file went well or a listing still arrived.
        end_ = DownloadEnd::Cancelled;
        return;
    }
    walk_.ListWaitingFolders(jobs_.addListing);
    if (streaming_) {
        if (!stream_) StartStream();
    } else {
        while (running_.size() < settings_.filesInFlight) {
            // None while the files found so far are taken and listings are still on their way.
            std::optional<WalkFile> file;
            if (!checked_.empty()) {
                file = std::move(checked_.front());
                checked_.pop_front();
            } else {
                file = TakeCheckedFile();
            }
            if (!file) break;
            const JobId job = jobs_.addFile(*file);
            running_.emplace(job, std::move(*file));
        }
    }
    if (running_.empty() && !stream_ && checked_.empty() && walk_.Exhausted()) {
        end_ = DownloadEnd::Finished;
    }
}

}  // namespace client
