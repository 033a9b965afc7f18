// Downloads, folder downloads and uploads: their records, their rows in the transfer list, the
// folder downloads' records, and every transfer event.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/controller/event_sound_player.h"
#include "ui/controller/lumvale_dialog_network.h"
#include "ui/desktop/close_rules.h"
#include "ui/text/number_format.h"
#include "ui/transfers/transfer_records.h"
#include "ui/transfers/transfer_rows.h"

namespace ui {

// The name to show for a host, when it is known.
using HostNameLookup = std::function<std::optional<std::string>(Ipv4 address)>;

class Transfers {
public:
    // `stateFile`: where the unfinished downloads are kept across restarts; empty keeps them
    // nowhere.
    Transfers(ControllerNetwork& network, TransferListView& view, EventSoundPlayer& sounds,
              HostNameLookup hostNames, NumberFormat numbers, std::string stateFile = {});
    ~Transfers();
    Transfers(const Transfers&) = delete;
    Transfers& operator=(const Transfers&) = delete;

    RunningTransfers Running() const;

    // The downloads the last run left unfinished come back as paused rows, to go on when their
    // host appears.
    void RestoreUnfinished();
    // A host is in the tree (again): its downloads that the program paused go on.
    void OnHostOnline(Ipv4 address);

    // Whether the file or folder at `path` of the host is being fetched already, or paused.
    bool IsBeingDownloaded(Ipv4 address, std::string_view path) const;
    // `targetFolder` ends in the local separator; `name` must be a safe local name.
    void StartFileDownload(Ipv4 address, const std::string& remotePath, const std::string& name,
                           const std::string& targetFolder, std::int64_t listedSize);
    void StartFolderDownload(Ipv4 address, const std::string& remotePath,
                             const std::string& targetFolder);

    // Listing job `id` brought the listing of the folder at `listedPath` (ending in a backslash)
    // of the host; `leftOut` entries of it were cut off.
    void OnListing(JobId id, Ipv4 address, const std::string& listedPath,
                   const std::vector<DirEntry>& listing, std::size_t leftOut = 0);
    // A listing job failed; a folder download that still waits for it ends.
    void OnListingFailed(JobId id);

    void OnDownloadStarted(JobId id);
    void OnDownloadProgress(JobId id, unsigned percent, double rateKBs);
    void OnDownloadFinished(JobId id, const util::Status& outcome);
    // The file of a single download matched the host's digest; its row says so when it finishes.
    void OnDownloadVerified(JobId id);
    const StopFlag* OnUploadRequested(std::uint32_t uploadId);
    void OnUploadStarted(std::uint32_t uploadId);
    void OnUploadProgress(std::uint32_t uploadId, unsigned percent, double rateKBs);
    void OnUploadFinished(std::uint32_t uploadId, bool succeeded);

    // The one-second tick.
    void CountDown() {
        rows_.CountDown();
        RetryInterrupted();
        FlushUnfinished();
    }
    // Writes the unfinished downloads when they changed since the last write. The one-second
    // tick does, so that a burst of finished downloads costs one write, not one each; so do the
    // commands that start downloads, and the shutdown.
    void FlushUnfinished();
    // The Cancel command on these rows: the transfers end, and what a download had received is
    // thrown away.
    void CancelRows(const std::vector<std::size_t>& rows);
    // Pause keeps what arrived and the row; Resume goes on from there. Rows of uploads, of ended
    // transfers and of downloads already in that state are left alone.
    void PauseRows(const std::vector<std::size_t>& rows);
    void ResumeRows(const std::vector<std::size_t>& rows);
    // Whether Pause or Resume would change any of these rows.
    bool CanPause(const std::vector<std::size_t>& rows) const;
    bool CanResume(const std::vector<std::size_t>& rows) const;
    std::vector<UnfinishedDownload> Unfinished() const;
    // Shutdown: every transfer is told to stop.
    void CancelAll();

    const TransferRows& Rows() const { return rows_; }
    std::size_t FolderDownloadCount() const { return folderDownloads_.size(); }
    const FolderDownload* FolderDownloadAt(std::size_t index) const;
    // Walks that are over but whose last jobs have not reported yet.
    std::size_t RetiredWalkCount() const { return retiredWalks_.size(); }

private:
    // Starts the jobs of a queued download and ties its row (when it has one yet) to them.
    void Launch(QueuedDownload& queued);
    void AppendQueuedRow(QueuedDownload& queued, const TransferItem& item, bool paused);
    QueuedDownload& Queue(UnfinishedDownload what);
    // The download ended for good (finished, failed or cancelled): it is no longer kept.
    void Unqueue(const QueuedDownload* queued);
    // Its jobs have stopped after a pause: the row shows it paused and keeps the download.
    void ShowPaused(QueuedDownload& queued);
    // Its host went quiet or cut the connection: kept like a paused download that goes on by
    // itself, when the host is back or after a while.
    void ShowInterrupted(QueuedDownload& queued);
    void RetryInterrupted();
    void NoteUnfinishedChanged() { unfinishedChanged_ = true; }
    QueuedDownload* QueuedAt(std::size_t row) const;
    DownloadRecord* FindDownload(JobId id) const;
    UploadRecord* FindUpload(std::uint32_t id) const;
    FolderDownload* FindWalkByFile(JobId id) const;
    void HandleDownloadFinished(JobId id, const util::Status& outcome);
    std::string HostColumn(Ipv4 address) const;
    void JobReported(JobId id);
    // Ends the row once the download has ended; the record goes with it, or when its last job
    // has reported.
    void FollowFolderDownload(FolderDownload& walk);
    void EndWalk(FolderDownload& walk);
    void RemoveDownload(const DownloadRecord* record);
    void RemoveUpload(const UploadRecord* record);
    std::string ProgressText(StringId id, unsigned percent, double rateKBs) const;

    ControllerNetwork& network_;
    EventSoundPlayer& sounds_;
    HostNameLookup hostNames_;
    const NumberFormat numbers_;
    TransferRows rows_;
    std::vector<std::unique_ptr<DownloadRecord>> downloads_;
    std::vector<std::unique_ptr<UploadRecord>> uploads_;
    std::vector<std::unique_ptr<FolderDownload>> folderDownloads_;
    std::vector<std::unique_ptr<FolderDownload>> retiredWalks_;
    // In the order they were asked for, which is the order they are kept in.
    std::vector<std::unique_ptr<QueuedDownload>> queued_;
    std::string stateFile_;
    bool unfinishedChanged_ = false;
};

}  // namespace ui
