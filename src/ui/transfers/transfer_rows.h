// The rows of the transfer list with their data, kept in step with the view.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
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

    void SetStatus(std::size_t row, const std::string& status, TransferState state);
    // The transfer is over: Finished, Failed or Cancelled, with its text; a failure with its
    // reason when one is known.
    void SetEnded(std::size_t row, TransferState state,
                  std::optional<util::ErrorKind> reason = std::nullopt);
    void SetId(std::size_t row, std::uint32_t id);
    // The transfer is over: the row forgets its id and folder and starts to count down.
    void MarkDone(std::size_t row);
    // One second passed: finished rows count down and go once their count is used up.
    void CountDown();

    std::size_t Count() const { return rows_.size(); }
    const TransferRow& At(std::size_t row) const { return rows_.at(row); }

private:
    TransferListView& view_;
    std::vector<TransferRow> rows_;
};

}  // namespace ui
