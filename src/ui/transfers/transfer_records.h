// The records behind running transfers. Each record begins with its cancel flag, which the network
// thread that runs the transfer watches; the UI thread sets it, and deletes a record only after
// the transfer's last report (or after the network threads have ended).
#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "client/folder_download.h"
#include "client/job_queue.h"
#include "core/types.h"
#include "ui/controller/lumvale_dialog_network.h"
#include "ui/transfers/unfinished_downloads.h"

namespace ui {

// A listing's size of a file as the bound for its download. A negative size is a host's lie, not
// "unknown": it may send nothing.
inline std::optional<std::uint64_t> ListedSize(std::int64_t size) {
    return static_cast<std::uint64_t>(std::max<std::int64_t>(size, 0));
}

// The host went quiet or away in the middle: worth another try, and a resumable download keeps
// what arrived. A refusal, a lie or a local failure would only end the same way again.
inline bool IsInterruption(util::ErrorKind kind) {
    return kind == util::ErrorKind::ConnectionLost || kind == util::ErrorKind::TimedOut ||
           kind == util::ErrorKind::CannotConnect;
}

struct FolderDownload;

// A download the user asked for and that has not finished: running, or paused with its row kept.
// It outlives the jobs that fetch it; a pause ends them, a resume starts new ones.
struct QueuedDownload {
    enum class Phase {
        Running,
        // Paused by the user: its jobs were told to stop and have not all reported yet.
        Pausing,
        Paused,
    };
    UnfinishedDownload what;
    Phase phase = Phase::Running;
    // Paused by the program (it was running when the program ended, or its host went quiet in
    // the middle), not by the user: it goes on by itself once its host is in the tree.
    bool resumeWhenHostAppears = false;
    // Seconds until an interrupted download tries its host again although the host never left
    // the tree (a cut connection); 0 when no such try is due.
    unsigned retryCountdown = 0;
    // Such tries left for this run: a host that cuts every attempt is not asked for ever.
    unsigned timedRetriesLeft = 3;
};

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
    // The download of this row, running or paused; null for uploads and finished rows.
    QueuedDownload* queued = nullptr;
};

struct DownloadRecord {
    StopFlag cancelled{false};
    JobId jobId = 0;
    QueuedDownload* queued = nullptr;
    bool verified = false;
    std::string localPath;
    // The user cancelled: what arrived goes too, once the job has let go of it.
    bool discardPart = false;
};

struct UploadRecord {
    StopFlag cancelled{false};
    std::uint32_t uploadId = 0;
};

// The user agreed to the whole folder, existing files and all, before it started.
inline client::FolderDownloadSettings AgreedToWholeFolder() {
    client::FolderDownloadSettings settings;
    settings.overwrite = true;
    return settings;
}

// A whole folder, fetched a few files at a time under one row. Its jobs read the download's
// cancel flag, so the record outlives its row until every job it queued has reported.
struct FolderDownload {
    FolderDownload(ControllerNetwork& network, Ipv4 address, std::string rootPath,
                   std::filesystem::path localDir)
        : download(address, std::move(rootPath), std::move(localDir),
                   {.addListing =
                        [this, &network](const std::string& folderPath) {
                            return Track(network.AddExpandJob(download.Address(), folderPath,
                                                              &download.Cancelled()));
                        },
                    .addFile =
                        [this, &network](const client::WalkFile& file) {
                            return Track(network.AddRetrieveJob(
                                download.Address(), file.remotePath, file.localPath.string(),
                                &download.Cancelled(), ListedSize(file.size)));
                        },
                    .addStream = StreamJobs(network, address)},
                   {}, AgreedToWholeFolder()) {}
    FolderDownload(const FolderDownload&) = delete;
    FolderDownload& operator=(const FolderDownload&) = delete;

    // Streams where the host may have them; none where it is known to lack them.
    std::function<JobId(std::shared_ptr<client::StreamBatch>)> StreamJobs(
        ControllerNetwork& network, Ipv4 address) {
        if (!network.MayStreamFolders(address)) return {};
        return [this, &network](std::shared_ptr<client::StreamBatch> batch) {
            return Track(network.AddFolderStreamJob(download.Address(), std::move(batch),
                                                    &download.Cancelled()));
        };
    }

    JobId Track(JobId job) {
        jobsOut.push_back(job);
        return job;
    }

    client::FolderDownload download;
    QueuedDownload* queued = nullptr;
    // Jobs queued for this download that have not reported yet.
    std::vector<JobId> jobsOut;
};

}  // namespace ui
