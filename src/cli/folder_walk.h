// The walk that downloads a whole folder one file at a time: listings are asked for folder by
// folder, files are taken in the order found, and the downloaded folder is recreated under the
// target folder with its own name. Pure bookkeeping; the caller runs the jobs.
#pragma once

#include <cstdint>
#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/types.h"

namespace cli {

struct WalkFile {
    std::string remotePath;
    std::filesystem::path localPath;
    std::int64_t size = 0;
};

struct WalkRefusal {
    std::string remotePath;
    std::string reason;
};

// Limits against a host that lists without end.
struct WalkLimits {
    std::size_t maxFiles = 2'000'000;
    std::size_t maxFolders = 1'000'000;
    std::size_t maxDepth = 128;
};

class FolderWalk {
public:
    // rootPath: host path of the folder without trailing backslash ("\Music\Live").
    FolderWalk(std::string rootPath, std::filesystem::path localDir, WalkLimits limits = {});

    const std::string& RootPath() const { return rootPath_; }

    // The result of using one listing: the folders to list next, and the local folders to create
    // (the listed one itself, so that empty folders arrive too).
    struct ListingUse {
        std::vector<std::string> foldersToList;
        std::filesystem::path localFolder;
        std::vector<WalkRefusal> refused;
        bool used = false;
    };
    // listedPath: the host path the listing was asked for. A listing is used once per walk, and
    // only when this walk asked for it.
    ListingUse OnListing(const std::string& listedPath, const std::vector<DirEntry>& entries);
    // A listing that failed still counts as answered, so the walk can end.
    void OnListingFailed();

    // The next file to download, or none while the pending list is empty.
    std::optional<WalkFile> TakeNextFile();

    bool Finished() const { return pendingListings_ == 0 && pendingFiles_.empty(); }
    std::uint32_t FilesFound() const { return filesFound_; }
    std::uint32_t FilesStarted() const { return filesStarted_; }
    std::uint32_t PendingListings() const { return pendingListings_; }

private:
    std::size_t Depth(const std::string& path) const;

    std::string rootPath_;
    std::filesystem::path localDir_;
    WalkLimits limits_;
    std::uint32_t pendingListings_ = 1;
    std::uint32_t filesFound_ = 0;
    std::uint32_t filesStarted_ = 0;
    std::unordered_set<std::string> requestedFolders_;
    std::unordered_set<std::string> listedFolders_;
    std::unordered_set<std::string> localTargets_;
    std::deque<WalkFile> pendingFiles_;
};

}  // namespace cli
