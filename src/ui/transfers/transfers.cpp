#include "ui/transfers/transfers.h"

#include <algorithm>

#include "ui/controller/file_list_rows.h"
#include "ui/text/ui_strings.h"
#include "ui/transfers/transfer_paths.h"

namespace ui {

namespace {

template <typename Record>
void EraseRecord(std::vector<std::unique_ptr<Record>>& records, const Record* record) {
    records.erase(std::remove_if(records.begin(), records.end(),
                                 [&](const auto& owned) { return owned.get() == record; }),
                  records.end());
}

}  // namespace

Transfers::Transfers(ControllerNetwork& network, TransferListView& view, EventSoundPlayer& sounds,
                     HostNameLookup hostNames, NumberFormat numbers, std::string stateFile)
    : network_(network),
      sounds_(sounds),
      hostNames_(std::move(hostNames)),
      numbers_(std::move(numbers)),
      rows_(view),
      stateFile_(std::move(stateFile)) {}

Transfers::~Transfers() = default;

RunningTransfers Transfers::Running() const {
    return {downloads_.size(), uploads_.size(), folderDownloads_.size()};
}

const FolderDownload* Transfers::FolderDownloadAt(std::size_t index) const {
    return index < folderDownloads_.size() ? folderDownloads_[index].get() : nullptr;
}

DownloadRecord* Transfers::FindDownload(JobId id) const {
    for (const auto& record : downloads_) {
        if (record->jobId == id) return record.get();
    }
    return nullptr;
}

UploadRecord* Transfers::FindUpload(std::uint32_t id) const {
    for (const auto& record : uploads_) {
        if (record->uploadId == id) return record.get();
    }
    return nullptr;
}

FolderDownload* Transfers::FindWalkByFile(JobId id) const {
    if (id == 0) return nullptr;
    for (const auto& walk : folderDownloads_) {
        if (walk->download.Fetches(id)) return walk.get();
    }
    return nullptr;
}

std::string Transfers::HostColumn(Ipv4 address) const {
    if (!hostNames_) return {};
    return hostNames_(address).value_or(std::string());
}

void Transfers::RemoveDownload(const DownloadRecord* record) {
    EraseRecord(downloads_, record);
}

void Transfers::RemoveUpload(const UploadRecord* record) {
    EraseRecord(uploads_, record);
}

std::string Transfers::ProgressText(StringId id, unsigned percent, double rateKBs) const {
    return FormatText(id, {percent, FormatRate(rateKBs, numbers_)});
}

bool Transfers::IsBeingDownloaded(Ipv4 address, std::string_view path) const {
    const std::string wanted = StripTrailingBackslashes(path);
    return std::any_of(queued_.begin(), queued_.end(), [&](const auto& queued) {
        return queued->what.address == address &&
               StripTrailingBackslashes(queued->what.remotePath) == wanted;
    });
}

void Transfers::StartFileDownload(Ipv4 address, const std::string& remotePath,
                                  const std::string& name, const std::string& targetFolder,
                                  std::int64_t listedSize) {
    if (client::CheckRemoteName(name) != client::NameProblem::None) return;
    Launch(
        Queue({address, HostColumn(address), remotePath, targetFolder + name, false, listedSize}));
    NoteUnfinishedChanged();
}

void Transfers::OnDownloadStarted(JobId id) {
    OnDownloadProgress(id, 0, 0.0);
    sounds_.Play(EventSound::TransferStarted);
}

void Transfers::OnDownloadProgress(JobId id, unsigned percent, double rateKBs) {
    if (FolderDownload* walk = FindWalkByFile(id)) {
        if (const auto row = rows_.FindByFolder(walk)) {
            rows_.SetStatus(
                *row,
                FormatText(StringId::StatusReceiveFolder, {walk->download.Walk().FilesStarted(),
                                                           walk->download.Walk().FilesFound(),
                                                           percent, FormatRate(rateKBs, numbers_)}),
                TransferState::Moving, percent);
        }
        return;
    }
    if (const auto row = rows_.FindById(id)) {
        rows_.SetStatus(*row, ProgressText(StringId::StatusReceive, percent, rateKBs),
                        TransferState::Moving, percent);
    }
}

void Transfers::OnDownloadFinished(JobId id, const util::Status& outcome) {
    HandleDownloadFinished(id, outcome);
    JobReported(id);
}

void Transfers::OnDownloadVerified(JobId id) {
    if (DownloadRecord* single = FindDownload(id)) single->verified = true;
}

void Transfers::HandleDownloadFinished(JobId id, const util::Status& outcome) {
    if (FolderDownload* walk = FindWalkByFile(id)) {
        walk->download.OnFileFinished(id, outcome);
        FollowFolderDownload(*walk);
        return;
    }
    DownloadRecord* single = FindDownload(id);
    if (single == nullptr) return;
    QueuedDownload* queued = single->queued;
    if (queued != nullptr && queued->phase == QueuedDownload::Phase::Pausing && !outcome) {
        RemoveDownload(single);
        ShowPaused(*queued);
        return;
    }
    const bool cancelled = single->cancelled.load();
    if (queued != nullptr && !outcome && !cancelled && IsInterruption(outcome.kind())) {
        RemoveDownload(single);
        ShowInterrupted(*queued);
        return;
    }
    // The user cancelled: what arrived goes too, now that the job has let go of it.
    if (!outcome && single->discardPart) network_.DiscardPartial(single->localPath);
    if (const auto row = rows_.FindById(id)) {
        if (!outcome) {
            rows_.SetEnded(*row, cancelled ? TransferState::Cancelled : TransferState::Failed,
                           outcome.kind());
            sounds_.Play(EventSound::TransferFailed);
        } else if (single->verified) {
            rows_.SetStatus(*row, Text(StringId::StatusFinishedVerified), TransferState::Finished);
            sounds_.Play(EventSound::TransferFinished);
        } else {
            rows_.SetEnded(*row, TransferState::Finished);
            sounds_.Play(EventSound::TransferFinished);
        }
        rows_.MarkDone(*row);
    }
    RemoveDownload(single);
    if (queued == nullptr) return;
    Unqueue(queued);
    NoteUnfinishedChanged();
}

const StopFlag* Transfers::OnUploadRequested(std::uint32_t uploadId) {
    ServerConnectionInfo info;
    if (!network_.GetUploadInfo(uploadId, info)) return nullptr;
    auto record = std::make_unique<UploadRecord>();
    record->uploadId = uploadId;
    TransferRow row;
    row.item.id = uploadId;
    row.name = info.argument;
    row.status = Text(StringId::StatusWait);
    row.host = HostColumn(info.address);
    row.image = kImageUpload;
    rows_.Append(std::move(row));
    uploads_.push_back(std::move(record));
    return &uploads_.back()->cancelled;
}

void Transfers::OnUploadStarted(std::uint32_t uploadId) {
    OnUploadProgress(uploadId, 0, 0.0);
    sounds_.Play(EventSound::TransferStarted);
}

void Transfers::OnUploadProgress(std::uint32_t uploadId, unsigned percent, double rateKBs) {
    if (const auto row = rows_.FindById(uploadId)) {
        rows_.SetStatus(*row, ProgressText(StringId::StatusSend, percent, rateKBs),
                        TransferState::Moving, percent);
    }
}

void Transfers::OnUploadFinished(std::uint32_t uploadId, bool succeeded) {
    UploadRecord* record = FindUpload(uploadId);
    if (record == nullptr) return;
    if (const auto row = rows_.FindById(uploadId)) {
        if (!succeeded) {
            rows_.SetEnded(
                *row, record->cancelled.load() ? TransferState::Cancelled : TransferState::Failed);
            sounds_.Play(EventSound::TransferFailed);
        } else {
            rows_.SetEnded(*row, TransferState::Finished);
            sounds_.Play(EventSound::TransferFinished);
        }
        rows_.MarkDone(*row);
    }
    RemoveUpload(record);
}

void Transfers::CancelRows(const std::vector<std::size_t>& rows) {
    bool changed = false;
    for (const std::size_t index : rows) {
        if (index >= rows_.Count()) continue;
        const TransferItem item = rows_.At(index).item;
        if (item.queued != nullptr && item.queued->phase == QueuedDownload::Phase::Pausing) {
            // Its jobs are stopping already; when they report, they end as cancelled.
            item.queued->phase = QueuedDownload::Phase::Running;
        }
        if (DownloadRecord* download = item.id ? FindDownload(item.id) : nullptr) {
            download->cancelled = true;
            download->discardPart = true;
        } else if (UploadRecord* upload = item.id ? FindUpload(item.id) : nullptr) {
            upload->cancelled = true;
        } else if (item.folder != nullptr) {
            item.folder->download.Cancel();
        } else if (item.queued != nullptr && item.queued->phase == QueuedDownload::Phase::Paused) {
            rows_.SetEnded(index, TransferState::Cancelled);
            rows_.MarkDone(index);
            if (!item.queued->what.folder) network_.DiscardPartial(item.queued->what.localPath);
            Unqueue(item.queued);
            changed = true;
        }
    }
    if (changed) NoteUnfinishedChanged();
}

void Transfers::CancelAll() {
    for (const auto& record : downloads_) record->cancelled = true;
    for (const auto& record : uploads_) record->cancelled = true;
    for (const auto& walk : folderDownloads_) walk->download.Cancel();
    for (const auto& walk : retiredWalks_) walk->download.Cancel();
}

}  // namespace ui
