#include "client/folder_walk.h"

#include <algorithm>
#include <utility>

namespace client {

namespace {

std::size_t Depth(const std::string& path) {
    return static_cast<std::size_t>(std::count(path.begin(), path.end(), '\\'));
}

}  // namespace

FolderWalk::FolderWalk(Ipv4 address, std::string rootPath, std::filesystem::path localDir,
                       WalkLimits limits)
    : address_(address),
      rootPath_(std::move(rootPath)),
      localDir_(std::move(localDir)),
      limits_(limits),
      rootDepth_(Depth(rootPath_)) {
    folders_.insert(rootPath_);
    foldersToList_.push_back(rootPath_);
}

void FolderWalk::ListWaitingFolders(const std::function<JobId(const std::string&)>& addListing) {
    while (!foldersToList_.empty() && awaited_.size() < limits_.listingsInFlight) {
        std::string path = std::move(foldersToList_.front());
        foldersToList_.pop_front();
        const JobId job = addListing(path);
        awaited_.push_back({job, std::move(path)});
    }
}

std::optional<std::string> FolderWalk::AwaitedFolder(JobId job) const {
    for (const Awaited& awaited : awaited_) {
        if (awaited.job == job) return awaited.path;
    }
    return std::nullopt;
}

bool FolderWalk::Awaits(const std::string& folderPath) const {
    return std::any_of(awaited_.begin(), awaited_.end(),
                       [&](const Awaited& awaited) { return awaited.path == folderPath; });
}

FolderWalk::ListingUse FolderWalk::OnListing(const std::string& folderPath,
                                             const std::vector<DirEntry>& entries,
                                             std::size_t leftOut) {
    ListingUse use;
    if (!Awaits(folderPath)) return use;
    std::erase_if(awaited_, [&](const Awaited& awaited) { return awaited.path == folderPath; });
    use.used = true;
    use.leftOut = leftOut;
    entriesLeftOut_ += leftOut;

    // The listed folder maps like a file inside it would; its own name was checked before it was
    // asked for (or is the root the user named).
    NameProblem problem = NameProblem::None;
    const auto marker = MapWalkPath(rootPath_, folderPath + "\\x", localDir_, &problem);
    if (!marker) {
        use.refused.push_back({folderPath, WalkRefusalKind::BadName, problem});
        return use;
    }
    use.localFolder = marker->parent_path();

    for (const DirEntry& entry : entries) {
        const std::string path = folderPath + '\\' + entry.name;
        const auto refuse = [&](WalkRefusalKind kind, NameProblem name = NameProblem::None) {
            use.refused.push_back({path, kind, name});
        };
        if (const NameProblem bad = CheckRemoteName(entry.name); bad != NameProblem::None) {
            refuse(WalkRefusalKind::BadName, bad);
            continue;
        }
        if (entry.folder) {
            if (Depth(path) - rootDepth_ > limits_.maxDepth) {
                refuse(WalkRefusalKind::TooDeep);
            } else if (folders_.size() > limits_.maxFolders) {
                refuse(WalkRefusalKind::TooManyFolders);
            } else if (!folders_.insert(path).second) {
                // Listed again, the walk would wait for a listing it never uses.
                refuse(WalkRefusalKind::ListedTwice);
            } else {
                foldersToList_.push_back(path);
            }
            continue;
        }
        // A negative size would leave the download without a bound on what the host may send.
        if (entry.size < 0) {
            refuse(WalkRefusalKind::NegativeSize);
            continue;
        }
        if (filesFound_ >= limits_.maxFiles) {
            refuse(WalkRefusalKind::TooManyFiles);
            continue;
        }
        auto local = MapWalkPath(rootPath_, path, localDir_, &problem);
        if (!local) {
            refuse(problem == NameProblem::None ? WalkRefusalKind::NotBelowRoot
                                                : WalkRefusalKind::BadName,
                   problem);
            continue;
        }
        // A second copy of a name would overwrite the first without anyone having agreed to it.
        if (!localTargets_.insert(local->string()).second) {
            refuse(WalkRefusalKind::ListedTwice);
            continue;
        }
        ++filesFound_;
        files_.push_back({path, std::move(*local), entry.size});
    }
    return use;
}

bool FolderWalk::OnListingFailed(JobId job) {
    const auto before = awaited_.size();
    std::erase_if(awaited_, [&](const Awaited& awaited) { return awaited.job == job; });
    return awaited_.size() != before;
}

std::optional<WalkFile> FolderWalk::TakeNextFile() {
    if (files_.empty()) return std::nullopt;
    WalkFile next = std::move(files_.front());
    files_.pop_front();
    ++filesStarted_;
    return next;
}

}  // namespace client
