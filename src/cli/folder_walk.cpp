#include "cli/folder_walk.h"

#include <algorithm>
#include <utility>

#include "cli/download_paths.h"
#include "cli/remote_path.h"

namespace cli {

FolderWalk::FolderWalk(std::string rootPath, std::filesystem::path localDir, WalkLimits limits)
    : rootPath_(std::move(rootPath)), localDir_(std::move(localDir)), limits_(limits) {
    requestedFolders_.insert(rootPath_);
}

std::size_t FolderWalk::Depth(const std::string& path) const {
    return static_cast<std::size_t>(std::count(path.begin(), path.end(), '\\'));
}

FolderWalk::ListingUse FolderWalk::OnListing(const std::string& listedPath,
                                             const std::vector<DirEntry>& entries) {
    ListingUse use;
    if (!requestedFolders_.contains(listedPath) || !listedFolders_.insert(listedPath).second) {
        return use;
    }
    --pendingListings_;
    use.used = true;

    // The listed folder maps like a file inside it would; its own name was checked before it
    // was asked for (or is the root the user named).
    std::string why;
    std::filesystem::path folderMarker;
    if (!MapWalkPath(rootPath_, RemoteJoin(listedPath, "x"), localDir_, folderMarker, why)) {
        use.refused.push_back({listedPath, why});
        return use;
    }
    use.localFolder = folderMarker.parent_path();

    for (const DirEntry& entry : entries) {
        const std::string path = RemoteJoin(listedPath, entry.name);
        if (const NameProblem problem = CheckRemoteName(entry.name); problem != NameProblem::None) {
            use.refused.push_back({path, DescribeNameProblem(problem)});
            continue;
        }
        if (entry.folder) {
            if (Depth(path) > limits_.maxDepth) {
                use.refused.push_back({path, "folders nested too deep"});
                continue;
            }
            if (requestedFolders_.size() > limits_.maxFolders) {
                use.refused.push_back({path, "too many folders in one download"});
                continue;
            }
            // Each folder is listed once, or the walk would wait for a listing never used.
            if (!requestedFolders_.insert(path).second) {
                use.refused.push_back({path, "listed twice"});
                continue;
            }
            ++pendingListings_;
            use.foldersToList.push_back(path);
            continue;
        }
        // A negative size would leave the download without a bound on what the host may send.
        if (entry.size < 0) {
            use.refused.push_back({path, "listed with a negative size"});
            continue;
        }
        WalkFile file{path, {}, entry.size};
        if (!MapWalkPath(rootPath_, path, localDir_, file.localPath, why)) {
            use.refused.push_back({path, why});
            continue;
        }
        if (filesFound_ >= limits_.maxFiles) {
            use.refused.push_back({path, "too many files in one download"});
            continue;
        }
        // A hostile listing may name the same file twice; the second copy would overwrite the
        // first without anyone having agreed to it.
        if (!localTargets_.insert(file.localPath.string()).second) {
            use.refused.push_back({path, "listed twice"});
            continue;
        }
        ++filesFound_;
        pendingFiles_.push_back(std::move(file));
    }
    return use;
}

void FolderWalk::OnListingFailed() {
    if (pendingListings_ > 0) --pendingListings_;
}

std::optional<WalkFile> FolderWalk::TakeNextFile() {
    if (pendingFiles_.empty()) return std::nullopt;
    WalkFile next = std::move(pendingFiles_.front());
    pendingFiles_.pop_front();
    ++filesStarted_;
    return next;
}

}  // namespace cli
