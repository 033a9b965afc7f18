#include "ui/transfers/transfer_rows.h"

#include <algorithm>

#include "ui/text/ui_strings.h"

namespace ui {
namespace {

// Short enough for the status column; a stop the user did not ask for says no more than "Failed".
StringId FailureText(std::optional<util::ErrorKind> reason) {
    using util::ErrorKind;
    switch (reason.value_or(ErrorKind::Stopped)) {
        case ErrorKind::Stopped:
            return StringId::StatusFailed;
        case ErrorKind::CannotConnect:
            return StringId::FailedUnreachable;
        case ErrorKind::RefusedByHost:
            return StringId::FailedRefused;
        case ErrorKind::NoSuchFile:
            return StringId::FailedNoSuchFile;
        case ErrorKind::ConnectionLost:
            return StringId::FailedConnectionLost;
        case ErrorKind::TimedOut:
            return StringId::FailedTimedOut;
        case ErrorKind::BadReply:
            return StringId::FailedBadReply;
        case ErrorKind::SizeLiedAbout:
            return StringId::FailedWrongSize;
        case ErrorKind::DiskFull:
            return StringId::FailedDiskFull;
        case ErrorKind::LocalWriteFailed:
            return StringId::FailedCannotWrite;
        case ErrorKind::Damaged:
            return StringId::FailedDamaged;
    }
    return StringId::StatusFailed;
}

}  // namespace

namespace {

// Drops the key when it still leads to `serial`, that is to the row that lets go of it.
template <typename Key>
void Forget(std::unordered_map<Key, std::uint64_t>& index, const Key& key, std::uint64_t serial) {
    const auto found = index.find(key);
    if (found != index.end() && found->second == serial) index.erase(found);
}

}  // namespace

std::optional<std::size_t> TransferRows::PositionOf(std::uint64_t serial) const {
    const auto found = std::lower_bound(
        rows_.begin(), rows_.end(), serial,
        [](const Entry& entry, std::uint64_t wanted) { return entry.serial < wanted; });
    if (found == rows_.end() || found->serial != serial) return std::nullopt;
    return static_cast<std::size_t>(found - rows_.begin());
}

// Ids are unique among the rows that carry one (job ids and upload ids come from separate
// ranges), and so are folder downloads.
void TransferRows::Index(std::size_t row) {
    const Entry& entry = rows_[row];
    if (entry.row.item.id != 0) byId_.try_emplace(entry.row.item.id, entry.serial);
    if (entry.row.item.folder != nullptr) {
        byFolder_.try_emplace(entry.row.item.folder, entry.serial);
    }
    if (entry.row.item.queued != nullptr) {
        byQueued_.try_emplace(entry.row.item.queued, entry.serial);
    }
}

void TransferRows::Unindex(std::size_t row) {
    const Entry& entry = rows_[row];
    if (entry.row.item.id != 0) Forget(byId_, entry.row.item.id, entry.serial);
    if (entry.row.item.folder != nullptr) {
        Forget(byFolder_, static_cast<const FolderDownload*>(entry.row.item.folder), entry.serial);
    }
    if (entry.row.item.queued != nullptr) {
        Forget(byQueued_, static_cast<const QueuedDownload*>(entry.row.item.queued), entry.serial);
    }
}

std::size_t TransferRows::Append(TransferRow row) {
    view_.AppendRow(row.name, row.status, row.host, row.image);
    rows_.push_back({std::move(row), nextSerial_++});
    Index(rows_.size() - 1);
    return rows_.size() - 1;
}

std::optional<std::size_t> TransferRows::FindById(std::uint32_t id) const {
    if (id == 0) return std::nullopt;
    const auto found = byId_.find(id);
    return found == byId_.end() ? std::nullopt : PositionOf(found->second);
}

std::optional<std::size_t> TransferRows::FindByFolder(const FolderDownload* walk) const {
    if (walk == nullptr) return std::nullopt;
    const auto found = byFolder_.find(walk);
    return found == byFolder_.end() ? std::nullopt : PositionOf(found->second);
}

std::optional<std::size_t> TransferRows::FindByQueued(const QueuedDownload* queued) const {
    if (queued == nullptr) return std::nullopt;
    const auto found = byQueued_.find(queued);
    return found == byQueued_.end() ? std::nullopt : PositionOf(found->second);
}

void TransferRows::SetItem(std::size_t row, const TransferItem& item) {
    if (row >= rows_.size()) return;
    Unindex(row);
    rows_[row].row.item = item;
    Index(row);
}

void TransferRows::SetStatus(std::size_t row, const std::string& status, TransferState state,
                             std::optional<unsigned> percent) {
    if (row >= rows_.size()) return;
    rows_[row].row.status = status;
    view_.SetStatus(row, status, state);
    if (percent) view_.SetProgress(row, *percent);
}

void TransferRows::SetEnded(std::size_t row, TransferState state,
                            std::optional<util::ErrorKind> reason) {
    if (state == TransferState::Paused) {
        SetStatus(row, Translate("Paused"), state);
        return;
    }
    const StringId text = state == TransferState::Finished ? StringId::StatusFinished
                          : state == TransferState::Failed ? FailureText(reason)
                                                           : StringId::StatusCancelled;
    SetStatus(row, Text(text), state);
}

void TransferRows::MarkDone(std::size_t row) {
    if (row >= rows_.size()) return;
    Unindex(row);
    TransferItem& item = rows_[row].row.item;
    item.id = 0;
    item.folder = nullptr;
    item.queued = nullptr;
    item.finished = true;
}

void TransferRows::CountDown() {
    // The rows that go, as runs of neighbours; the view drops each run in one step, the last run
    // first so that the positions of the runs before it still hold.
    std::vector<std::pair<std::size_t, std::size_t>> runs;
    for (std::size_t row = 0; row < rows_.size(); ++row) {
        TransferItem& item = rows_[row].row.item;
        if (!item.finished) continue;
        if (item.countdown > 0) {
            --item.countdown;
            continue;
        }
        Unindex(row);
        if (!runs.empty() && runs.back().first + runs.back().second == row) {
            ++runs.back().second;
        } else {
            runs.emplace_back(row, 1);
        }
    }
    if (runs.empty()) return;
    for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
        view_.DeleteRows(run->first, run->second);
    }
    std::size_t kept = 0;
    std::size_t next = 0;
    const auto keepUpTo = [&](std::size_t end) {
        for (; next < end; ++next, ++kept) {
            if (kept != next) rows_[kept] = std::move(rows_[next]);
        }
    };
    for (const auto& [first, count] : runs) {
        keepUpTo(first);
        next = first + count;
    }
    keepUpTo(rows_.size());
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(kept), rows_.end());
}

}  // namespace ui
