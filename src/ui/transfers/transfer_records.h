// The records behind running transfers. Each record begins with its cancel flag, which the network
// thread that runs the transfer watches; the UI thread sets it, and deletes a record only after
// the transfer's last report (or after the network threads have ended).
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "client/folder_walk.h"
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
    // Job id of a single download or the upload id; 0 for a folder download (its row is found by
    // its folder) and once the row is finished.
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

// Files of one folder download fetched at once: a small file costs little more than its round
// trips, so one at a time leaves the link idle; four leave the job queue a place for a single
// download beside them.
inline constexpr std::size_t kFolderFilesInFlight = 4;

// A whole folder, fetched a few files at a time under one row while the walk's listings arrive.
struct FolderDownload : client::FolderWalk {
    using FolderWalk::FolderWalk;
    // The jobs of the files being fetched.
    std::vector<JobId> filesInFlight;
    bool Fetches(JobId id) const {
        return std::find(filesInFlight.begin(), filesInFlight.end(), id) != filesInFlight.end();
    }
};

}  // namespace ui
