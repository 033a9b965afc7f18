// The records behind running transfers. Each record begins with its cancel flag, which the network
// thread that runs the transfer watches; the UI thread sets it, and deletes a record only after
// the transfer's last report (or after the network threads have ended).
#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "client/job_queue.h"
#include "core/types.h"

namespace ui {

// A listing's size of a file as the bound for its download. A negative size is a host's lie, not
// "unknown": it may send nothing.
inline std::optional<std::uint64_t> ListedSize(std::int64_t size) {
    return static_cast<std::uint64_t>(std::max<std::int64_t>(size, 0));
}

struct FolderDownload;

// The data of one transfer-list row.
struct TransferItem {
    // Job id of a single download, of a folder download's current file (0 between files), or the
    // upload id; 0 once the row is finished.
    std::uint32_t id = 0;
    bool finished = false;
    // One-second ticks a finished row stays visible.
    std::uint32_t countdown = 5;
    // The folder download of this row; null for single files, uploads and finished rows.
    FolderDownload* folder = nullptr;
};

struct DownloadRecord {
    StopFlag cancelled{false};
    JobId jobId = 0;
};

struct UploadRecord {
    StopFlag cancelled{false};
    std::uint32_t uploadId = 0;
};

// A listing that a folder download asked for and has not used yet.
struct AwaitedListing {
    JobId job = 0;
    // Host path of the folder, ending in a backslash.
    std::string path;
};

// A whole folder, fetched one file at a time while its listings arrive.
struct FolderDownload {
    // Watched by every file job and every listing of this walk.
    StopFlag cancelled{false};
    std::uint32_t filesFound = 0;
    std::uint32_t filesStarted = 0;
    // The file being fetched; 0 when none.
    JobId currentJobId = 0;
    Ipv4 address = 0;
    // Host path of the folder, without a trailing backslash.
    std::string rootPath;
    // Target folder on this computer, ending in the local separator.
    std::string localDir;
    // Host paths (ending in a backslash) whose listing this walk has used.
    std::unordered_set<std::string> listedFolders;
    // Host paths of every file and folder the walk has taken from its listings.
    std::unordered_set<std::string> seenPaths;
    // The files found and not yet started, in the order found, with their listed sizes.
    struct PendingFile {
        std::string hostPath;
        std::int64_t size = 0;
    };
    std::deque<PendingFile> pendingFiles;
    // The folders asked for whose listing has not been used. A listing of one of them counts
    // whoever asked for it; a listing of any other folder is not the walk's business.
    std::vector<AwaitedListing> awaited;
    // Folders found whose listing is not asked for yet: the job queue takes only so many light
    // jobs at once, and a folder may hold thousands of sub-folders.
    std::deque<std::string> foldersToList;
    // Jobs queued for this walk that have not reported yet. They watch `cancelled`, so the record
    // outlives the walk until the last of them has reported.
    std::vector<JobId> jobsInFlight;

    std::size_t PendingListings() const { return awaited.size() + foldersToList.size(); }
};

}  // namespace ui
