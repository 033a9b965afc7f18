// The records behind running transfers. Each record begins with its cancel flag, which the network
// thread that runs the transfer watches; the UI thread sets it, and deletes a record only after
// the transfer's last report (or after the network threads have ended).
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>

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

// A whole folder, fetched one file at a time under one row while the walk's listings arrive.
struct FolderDownload : client::FolderWalk {
    using FolderWalk::FolderWalk;
    // The file being fetched; 0 when none.
    JobId currentJobId = 0;
};

}  // namespace ui
