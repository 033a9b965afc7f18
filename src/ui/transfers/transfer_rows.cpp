#include "ui/transfers/transfer_rows.h"

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
    }
    return StringId::StatusFailed;
}

}  // namespace

std::size_t TransferRows::Append(TransferRow row) {
    view_.AppendRow(row.name, row.status, row.host, row.image);
    rows_.push_back(std::move(row));
    return rows_.size() - 1;
}

std::optional<std::size_t> TransferRows::FindById(std::uint32_t id) const {
    if (id == 0) return std::nullopt;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].item.id == id) return i;
    }
    return std::nullopt;
}

std::optional<std::size_t> TransferRows::FindByFolder(const FolderDownload* walk) const {
    if (walk == nullptr) return std::nullopt;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].item.folder == walk) return i;
    }
    return std::nullopt;
}

void TransferRows::SetStatus(std::size_t row, const std::string& status, TransferState state) {
    if (row >= rows_.size()) return;
    rows_[row].status = status;
    view_.SetStatus(row, status, state);
}

void TransferRows::SetEnded(std::size_t row, TransferState state,
                            std::optional<util::ErrorKind> reason) {
    const StringId text = state == TransferState::Finished ? StringId::StatusFinished
                          : state == TransferState::Failed ? FailureText(reason)
                                                           : StringId::StatusCancelled;
    SetStatus(row, Text(text), state);
}

void TransferRows::SetId(std::size_t row, std::uint32_t id) {
    if (row < rows_.size()) rows_[row].item.id = id;
}

void TransferRows::MarkDone(std::size_t row) {
    if (row >= rows_.size()) return;
    TransferItem& item = rows_[row].item;
    item.id = 0;
    item.folder = nullptr;
    item.finished = true;
}

void TransferRows::CountDown() {
    std::size_t row = 0;
    while (row < rows_.size()) {
        TransferItem& item = rows_[row].item;
        if (item.finished && item.countdown == 0) {
            rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(row));
            view_.DeleteRow(row);
            continue;
        }
        if (item.finished) --item.countdown;
        ++row;
    }
}

}  // namespace ui
