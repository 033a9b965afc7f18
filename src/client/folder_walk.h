// The walk that downloads a whole folder: its folders are listed a few at a time from a queue of
// their own, the files found are handed out in the order found, and the folder is recreated under
// the target folder with its own name. Whatever a hostile listing says, the walk stays bounded
// (depth, files, folders), never maps two files to one local path, never lists a folder twice and
// never takes a file without a size to bound it. The owner runs the jobs; the walk keeps the
// cancel flag they watch.
#pragma once

#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "client/job_queue.h"
#include "client/walk_file.h"
#include "client/walk_paths.h"
#include "core/types.h"

namespace client {

struct WalkLimits {
    std::size_t maxFiles = 2'000'000;
    std::size_t maxFolders = 1'000'000;
    // Folder levels below the root.
    std::size_t maxDepth = 128;
    // Listings asked for at once: the job queue takes only so many light jobs, and a folder may
    // hold thousands of sub-folders.
    std::size_t listingsInFlight = 8;
};

enum class WalkRefusalKind {
    BadName,
    NotBelowRoot,
    TooDeep,
    TooManyFolders,
    TooManyFiles,
    ListedTwice,
    NegativeSize,
};

struct WalkRefusal {
    std::string remotePath;
    WalkRefusalKind kind = WalkRefusalKind::BadName;
    NameProblem name = NameProblem::None;
};

class FolderWalk {
public:
    // rootPath: host path of the folder without trailing backslash ("\Music\Live"); it is the
    // first folder to list.
    FolderWalk(Ipv4 address, std::string rootPath, std::filesystem::path localDir,
               WalkLimits limits = {});
    FolderWalk(const FolderWalk&) = delete;
    FolderWalk& operator=(const FolderWalk&) = delete;

    // Watched by every job of the walk.
    StopFlag& Cancelled() { return cancelled_; }
    const StopFlag& Cancelled() const { return cancelled_; }
    Ipv4 Address() const { return address_; }
    const std::string& RootPath() const { return rootPath_; }

    // Asks for waiting folders while fewer than the limit's listings are out. `addListing` queues
    // one listing job for a host path (without trailing backslash) and returns its id.
    void ListWaitingFolders(const std::function<JobId(const std::string&)>& addListing);
    // The folder a listing job of this walk asked for, while its listing is awaited.
    std::optional<std::string> AwaitedFolder(JobId job) const;
    bool Awaits(const std::string& folderPath) const;

    struct ListingUse {
        bool used = false;
        // The listed folder's local place, so that empty folders arrive too.
        std::filesystem::path localFolder;
        std::vector<WalkRefusal> refused;
        // Entries the host listed beyond what one listing may hold: they never arrive, so the
        // download lacks them.
        std::size_t leftOut = 0;
    };
    // A listing of `folderPath` (without trailing backslash) arrived, from this walk's job or from
    // anyone else's. It is used once, and only when the walk awaits that folder.
    // `leftOut` counts the entries the listing parser dropped from it.
    ListingUse OnListing(const std::string& folderPath, const std::vector<DirEntry>& entries,
                         std::size_t leftOut = 0);
    // A listing job failed. True when the walk awaited it: the download cannot be complete.
    bool OnListingFailed(JobId job);

    // The next file to download, or none while none is waiting.
    std::optional<WalkFile> TakeNextFile();

    // Nothing left to list or to hand out.
    bool Exhausted() const { return awaited_.empty() && foldersToList_.empty() && files_.empty(); }
    std::uint32_t FilesFound() const { return filesFound_; }
    std::uint32_t FilesStarted() const { return filesStarted_; }
    // Entries of used listings that were cut off, over the whole walk.
    std::size_t EntriesLeftOut() const { return entriesLeftOut_; }
    std::size_t PendingListings() const { return awaited_.size() + foldersToList_.size(); }

private:
    struct Awaited {
        JobId job = 0;
        std::string path;
    };

    StopFlag cancelled_{false};
    const Ipv4 address_;
    const std::string rootPath_;
    const std::filesystem::path localDir_;
    const WalkLimits limits_;
    std::size_t rootDepth_ = 0;
    std::uint32_t filesFound_ = 0;
    std::uint32_t filesStarted_ = 0;
    std::size_t entriesLeftOut_ = 0;
    // Every folder the walk has taken from its listings (and the root): none is listed twice.
    std::unordered_set<std::string> folders_;
    std::unordered_set<std::string> localTargets_;
    std::deque<std::string> foldersToList_;
    std::vector<Awaited> awaited_;
    std::deque<WalkFile> files_;
};

}  // namespace client
