// The rows of the transfer list with their data, kept in step with the view. A busy host finishes
// thousands of transfers a second, and each finished row stays for a few seconds: finding a row
// and dropping the finished ones must not cost more the more rows are kept.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "ui/transfers/transfer_records.h"
#include "ui/views/transfer_list_view.h"
#include "util/result.h"

namespace ui {

struct TransferRow {
    TransferItem item;
    std::string name;
    std::string status;
    std::string host;
    int image = 0;
};

class TransferRows {
public:
    explicit TransferRows(TransferListView& view) : view_(view) {}

    // Appends a row and returns its position.
    std::size_t Append(TransferRow row);

    // The first row whose item carries this id; id 0 (finished rows) never matches.
    std::optional<std::size_t> FindById(std::uint32_t id) const;
    std::optional<std::size_t> FindByFolder(const FolderDownload* walk) const;
    std::optional<std::size_t> FindByQueued(const QueuedDownload* queued) const;
    // The row's transfer is now this one (a paused download goes on, or stops); its text stays.
    void SetItem(std::size_t row, const TransferItem& item);

    // `percent`: how far a moving transfer has got, when known.
    void SetStatus(std::size_t row, const std::string& status, TransferState state,
                   std::optional<unsigned> percent = std::nullopt);
    // The transfer is over (Finished, Failed or Cancelled) or stopped for now (Paused), with its
    // text; a failure with its reason when one is known.
    void SetEnded(std::size_t row, TransferState state,
                  std::optional<util::ErrorKind> reason = std::nullopt);
    // The transfer is over: the row forgets its id and folder and starts to count down.
    void MarkDone(std::size_t row);
    // One second passed: finished rows count down and go once their count is used up.
    void CountDown();

    std::size_t Count() const { return rows_.size(); }
    const TransferRow& At(std::size_t row) const { return rows_.at(row).row; }

private:
    // Rows keep the order they were appended in, so their serial numbers ascend with their
    // positions: a row is found from its serial number by a binary search.
    struct Entry {
        TransferRow row;
        std::uint64_t serial = 0;
    };

    std::optional<std::size_t> PositionOf(std::uint64_t serial) const;
    void Index(std::size_t row);
    void Unindex(std::size_t row);

    TransferListView& view_;
    std::vector<Entry> rows_;
    std::uint64_t nextSerial_ = 0;
    std::unordered_map<std::uint32_t, std::uint64_t> byId_;
    std::unordered_map<const FolderDownload*, std::uint64_t> byFolder_;
    std::unordered_map<const QueuedDownload*, std::uint64_t> byQueued_;
};

}  // namespace ui
