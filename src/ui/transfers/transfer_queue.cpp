// The downloads as a queue that outlives the program: each one the user asked for is kept, with
// its row, until it finishes, fails or is cancelled; Pause stops its jobs and keeps it, Resume
// (or its host's return, after a restart) starts new jobs for it. The set is written to the state
// file when it changes (at most once a second), never on mere progress.
#include <algorithm>
#include <filesystem>

#include "ui/controller/file_list_rows.h"
#include "ui/text/ui_strings.h"
#include "ui/transfers/transfer_paths.h"
#include "ui/transfers/transfers.h"
#include "util/trace.h"

namespace ui {
namespace {

// Long enough for a host that restarts to be back; short enough that a cut connection costs
// the user little.
constexpr unsigned kInterruptedRetrySeconds = 15;

}  // namespace

QueuedDownload& Transfers::Queue(UnfinishedDownload what) {
    auto queued = std::make_unique<QueuedDownload>();
    queued->what = std::move(what);
    queued_.push_back(std::move(queued));
    return *queued_.back();
}

void Transfers::Unqueue(const QueuedDownload* queued) {
    if (const auto row = rows_.FindByQueued(queued)) {
        TransferItem item = rows_.At(*row).item;
        item.queued = nullptr;
        rows_.SetItem(*row, item);
    }
    std::erase_if(queued_, [&](const auto& owned) { return owned.get() == queued; });
}

QueuedDownload* Transfers::QueuedAt(std::size_t row) const {
    if (row >= rows_.Count()) return nullptr;
    const TransferItem& item = rows_.At(row).item;
    return item.finished ? nullptr : item.queued;
}

std::vector<UnfinishedDownload> Transfers::Unfinished() const {
    std::vector<UnfinishedDownload> all;
    all.reserve(queued_.size());
    for (const auto& queued : queued_) all.push_back(queued->what);
    return all;
}

void Transfers::FlushUnfinished() {
    if (!unfinishedChanged_ || stateFile_.empty()) return;
    // A failed write is tried again at the next change, not at every tick.
    unfinishedChanged_ = false;
    if (!SaveUnfinishedDownloads(stateFile_, Unfinished())) {
        XUTIL_DIAG("the unfinished downloads could not be saved in %s\n", stateFile_.c_str());
    }
}

void Transfers::AppendQueuedRow(QueuedDownload& queued, const TransferItem& item, bool paused) {
    TransferRow row;
    row.item = item;
    const UnfinishedDownload& what = queued.what;
    row.name = what.folder ? std::string(LastComponent(what.remotePath))
                           : std::filesystem::path(what.localPath).filename().string();
    row.status = paused ? Translate("Paused") : Text(StringId::StatusWait);
    const std::string known = HostColumn(what.address);
    row.host = known.empty() ? what.hostName : known;
    row.image = kImageDownload;
    const std::size_t position = rows_.Append(std::move(row));
    if (paused) rows_.SetEnded(position, TransferState::Paused);
}

void Transfers::Launch(QueuedDownload& queued) {
    queued.phase = QueuedDownload::Phase::Running;
    queued.resumeWhenHostAppears = false;
    queued.retryCountdown = 0;
    const UnfinishedDownload& what = queued.what;
    TransferItem item;
    item.queued = &queued;
    FolderDownload* walk = nullptr;
    if (what.folder) {
        auto owned = std::make_unique<FolderDownload>(network_, what.address, what.remotePath,
                                                      what.localPath);
        owned->queued = &queued;
        walk = owned.get();
        item.folder = walk;
        folderDownloads_.push_back(std::move(owned));
    } else {
        auto record = std::make_unique<DownloadRecord>();
        record->queued = &queued;
        record->localPath = what.localPath;
        // The same local path again: what an earlier run kept of it is taken up there.
        record->jobId = network_.AddRetrieveJob(what.address, what.remotePath, what.localPath,
                                                &record->cancelled, ListedSize(what.listedSize));
        item.id = record->jobId;
        downloads_.push_back(std::move(record));
    }
    if (const auto row = rows_.FindByQueued(&queued)) {
        rows_.SetItem(*row, item);
        rows_.SetStatus(*row, Text(StringId::StatusWait), TransferState::Waiting);
    } else {
        AppendQueuedRow(queued, item, false);
    }
    if (walk != nullptr) {
        walk->download.Start();
        // May end it at once, and the queued download with it.
        FollowFolderDownload(*walk);
    }
}

void Transfers::ShowPaused(QueuedDownload& queued) {
    queued.phase = QueuedDownload::Phase::Paused;
    queued.retryCountdown = 0;
    const auto row = rows_.FindByQueued(&queued);
    if (!row) return;
    TransferItem item;
    item.queued = &queued;
    rows_.SetItem(*row, item);
    rows_.SetEnded(*row, TransferState::Paused);
}

void Transfers::ShowInterrupted(QueuedDownload& queued) {
    ShowPaused(queued);
    queued.resumeWhenHostAppears = true;
    if (queued.timedRetriesLeft > 0) queued.retryCountdown = kInterruptedRetrySeconds;
    if (const auto row = rows_.FindByQueued(&queued)) {
        rows_.SetStatus(*row, Translate("Interrupted; goes on when the host answers"),
                        TransferState::Paused);
    }
}

void Transfers::RetryInterrupted() {
    std::vector<QueuedDownload*> due;
    for (const auto& queued : queued_) {
        if (queued->phase != QueuedDownload::Phase::Paused || queued->retryCountdown == 0) {
            continue;
        }
        if (--queued->retryCountdown == 0) due.push_back(queued.get());
    }
    for (QueuedDownload* queued : due) {
        --queued->timedRetriesLeft;
        Launch(*queued);
    }
}

void Transfers::RestoreUnfinished() {
    for (UnfinishedDownload& what : LoadUnfinishedDownloads(stateFile_)) {
        QueuedDownload& queued = Queue(std::move(what));
        queued.phase = QueuedDownload::Phase::Paused;
        queued.resumeWhenHostAppears = true;
        TransferItem item;
        item.queued = &queued;
        AppendQueuedRow(queued, item, true);
    }
}

void Transfers::OnHostOnline(Ipv4 address) {
    std::vector<QueuedDownload*> waiting;
    for (const auto& queued : queued_) {
        if (queued->phase == QueuedDownload::Phase::Paused && queued->resumeWhenHostAppears &&
            queued->what.address == address) {
            waiting.push_back(queued.get());
        }
    }
    for (QueuedDownload* queued : waiting) Launch(*queued);
}

bool Transfers::CanPause(const std::vector<std::size_t>& rows) const {
    return std::any_of(rows.begin(), rows.end(), [&](std::size_t row) {
        const QueuedDownload* queued = QueuedAt(row);
        return queued != nullptr && queued->phase == QueuedDownload::Phase::Running;
    });
}

bool Transfers::CanResume(const std::vector<std::size_t>& rows) const {
    return std::any_of(rows.begin(), rows.end(), [&](std::size_t row) {
        const QueuedDownload* queued = QueuedAt(row);
        return queued != nullptr && queued->phase == QueuedDownload::Phase::Paused;
    });
}

void Transfers::PauseRows(const std::vector<std::size_t>& rows) {
    for (const std::size_t row : rows) {
        QueuedDownload* queued = QueuedAt(row);
        if (queued == nullptr || queued->phase != QueuedDownload::Phase::Running) continue;
        queued->phase = QueuedDownload::Phase::Pausing;
        const TransferItem& item = rows_.At(row).item;
        if (DownloadRecord* download = item.id ? FindDownload(item.id) : nullptr) {
            download->cancelled = true;
        } else if (item.folder != nullptr) {
            item.folder->download.Cancel();
        }
    }
}

void Transfers::ResumeRows(const std::vector<std::size_t>& rows) {
    std::vector<QueuedDownload*> paused;
    for (const std::size_t row : rows) {
        QueuedDownload* queued = QueuedAt(row);
        if (queued != nullptr && queued->phase == QueuedDownload::Phase::Paused) {
            paused.push_back(queued);
        }
    }
    for (QueuedDownload* queued : paused) Launch(*queued);
}

}  // namespace ui
