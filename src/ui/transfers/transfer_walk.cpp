// The folder download: each listing of the walk queues the listings of its sub-folders and adds
// its files to the walk's list; the files are fetched one at a time, and the walk ends when no
// file and no listing is left, when a file fails, or when it is cancelled.
#include <algorithm>

#include "ui/controller/file_list_rows.h"
#include "ui/text/ui_strings.h"
#include "ui/transfers/transfer_paths.h"
#include "ui/transfers/transfers.h"

namespace ui {

namespace {

constexpr std::size_t kListingsInFlight = 8;
// Limits against a host that lists without end.
constexpr std::size_t kMaxWalkFiles = 2'000'000;
constexpr std::size_t kMaxWalkFolders = 1'000'000;
constexpr std::size_t kMaxWalkDepth = 128;

std::size_t Depth(const std::string& path) {
    return static_cast<std::size_t>(std::count(path.begin(), path.end(), '\\'));
}

}  // namespace

JobId Transfers::Track(FolderDownload& walk, JobId job) {
    walk.jobsInFlight.push_back(job);
    return job;
}

void Transfers::JobReported(JobId id) {
    for (auto& walk : folderDownloads_) std::erase(walk->jobsInFlight, id);
    for (auto& walk : retiredWalks_) std::erase(walk->jobsInFlight, id);
    std::erase_if(retiredWalks_, [](const auto& walk) { return walk->jobsInFlight.empty(); });
}

void Transfers::AwaitListing(FolderDownload& walk, const std::string& folderPath) {
    walk.foldersToList.push_back(folderPath);
}

void Transfers::ListWaitingFolders(FolderDownload& walk) {
    while (!walk.foldersToList.empty() && walk.awaited.size() < kListingsInFlight) {
        const std::string folderPath = std::move(walk.foldersToList.front());
        walk.foldersToList.pop_front();
        // The job asks for the folder without its trailing backslash, as the user's own requests
        // do.
        const JobId job =
            Track(walk, network_.AddExpandJob(walk.address, StripTrailingBackslashes(folderPath),
                                              &walk.cancelled));
        walk.awaited.push_back({job, folderPath});
    }
}

void Transfers::StartFolderDownload(Ipv4 address, const std::string& remotePath,
                                    const std::string& targetFolder) {
    auto walk = std::make_unique<FolderDownload>();
    walk->address = address;
    walk->rootPath = StripTrailingBackslashes(remotePath);
    walk->localDir = targetFolder;
    TransferRow row;
    row.item.folder = walk.get();
    row.name = std::string(LastComponent(walk->rootPath));
    row.status = Text(StringId::StatusWait);
    row.host = HostColumn(address);
    row.image = kImageDownload;
    rows_.Append(std::move(row));
    AwaitListing(*walk, walk->rootPath + '\\');
    ListWaitingFolders(*walk);
    folderDownloads_.push_back(std::move(walk));
}

void Transfers::OnListing(JobId id, Ipv4 address, const std::string& listedPath,
                          const std::vector<DirEntry>& listing) {
    // Walks may end (and be deleted) below; collect first.
    std::vector<FolderDownload*> interested;
    for (const auto& walk : folderDownloads_) {
        if (walk->address != address || walk->listedFolders.contains(listedPath)) continue;
        const bool awaited =
            std::any_of(walk->awaited.begin(), walk->awaited.end(),
                        [&](const AwaitedListing& a) { return a.path == listedPath; });
        if (awaited) interested.push_back(walk.get());
    }
    for (FolderDownload* walk : interested) UseListing(*walk, listedPath, listing);
    JobReported(id);
}

void Transfers::UseListing(FolderDownload& walk, const std::string& listedPath,
                           const std::vector<DirEntry>& listing) {
    std::erase_if(walk.awaited, [&](const AwaitedListing& a) { return a.path == listedPath; });
    for (const DirEntry& entry : listing) {
        // A name that cannot be a local file name is left out rather than written elsewhere.
        if (!IsSafeLocalName(entry.name)) continue;
        const std::string entryPath = listedPath + entry.name;
        // A name listed twice would be fetched twice, or its folder listed for ever.
        if (!walk.seenPaths.insert(entryPath).second) continue;
        if (entry.folder) {
            if (Depth(entryPath) > Depth(walk.rootPath) + kMaxWalkDepth ||
                walk.seenPaths.size() - walk.filesFound > kMaxWalkFolders) {
                continue;
            }
            AwaitListing(walk, entryPath + '\\');
        } else if (entry.size >= 0 && walk.filesFound < kMaxWalkFiles) {
            walk.pendingFiles.push_back({entryPath, entry.size});
            ++walk.filesFound;
        }
    }
    walk.listedFolders.insert(listedPath);
    ListWaitingFolders(walk);
    ContinueFolderDownload(walk, true);
}

void Transfers::OnListingFailed(JobId id) {
    for (const auto& owned : folderDownloads_) {
        FolderDownload& walk = *owned;
        const bool awaited = std::any_of(walk.awaited.begin(), walk.awaited.end(),
                                         [&](const AwaitedListing& a) { return a.job == id; });
        if (!awaited) continue;
        // Without that folder's listing the download cannot be complete.
        EndWalkFailed(walk);
        break;
    }
    JobReported(id);
}

void Transfers::EndWalkFailed(FolderDownload& walk) {
    if (const auto row = rows_.FindByFolder(&walk)) {
        rows_.SetEnded(*row,
                       walk.cancelled.load() ? TransferState::Cancelled : TransferState::Failed);
    }
    sounds_.Play(EventSound::TransferFailed);
    ContinueFolderDownload(walk, false);
}

bool Transfers::ContinueFolderDownload(FolderDownload& walk, bool succeeded) {
    if (!succeeded) {
        EndWalk(walk);
        return false;
    }
    if (walk.cancelled.load()) {
        // Cancelled while a file went well or a listing still arrived: say so on the row.
        EndWalkFailed(walk);
        return false;
    }
    if (walk.currentJobId != 0) return true;
    const auto row = rows_.FindByFolder(&walk);
    if (!row) return true;
    if (walk.pendingFiles.empty()) {
        if (walk.PendingListings() != 0) return true;
        rows_.SetEnded(*row, TransferState::Finished);
        sounds_.Play(EventSound::TransferFinished);
        EndWalk(walk);
        return false;
    }
    return StartNextFile(walk, *row);
}

bool Transfers::StartNextFile(FolderDownload& walk, std::size_t row) {
    const std::string hostPath = walk.pendingFiles.front().hostPath;
    const std::optional<std::uint64_t> listedSize = ListedSize(walk.pendingFiles.front().size);
    walk.pendingFiles.pop_front();
    const auto localPath = FolderFileLocalPath(walk.localDir, walk.rootPath, hostPath);
    if (!localPath) {
        // Only safe names are listed for the walk, so this is a path outside the root.
        EndWalkFailed(walk);
        return false;
    }
    const JobId job = Track(walk, network_.AddRetrieveJob(walk.address, hostPath, *localPath,
                                                          &walk.cancelled, listedSize));
    walk.currentJobId = job;
    rows_.SetId(row, job);
    ++walk.filesStarted;
    return true;
}

void Transfers::EndWalk(FolderDownload& walk) {
    if (const auto row = rows_.FindByFolder(&walk)) rows_.MarkDone(*row);
    const auto owned =
        std::find_if(folderDownloads_.begin(), folderDownloads_.end(),
                     [&](const auto& candidate) { return candidate.get() == &walk; });
    if (owned == folderDownloads_.end()) return;
    if (!walk.jobsInFlight.empty()) {
        // Its jobs still read the cancel flag: stop them and keep the record until they report.
        walk.cancelled = true;
        retiredWalks_.push_back(std::move(*owned));
    }
    folderDownloads_.erase(owned);
}

}  // namespace ui
