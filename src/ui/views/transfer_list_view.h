// The transfer list: one row per download or upload. The controller keeps each row's data and
// tells the view what to show; rows are addressed by their position.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace ui {

// Where a row's transfer stands; the status text says the same in the user's language, but only
// this may be used to decide anything.
// Paused: stopped with what arrived kept, until the host is back or the user resumes it.
enum class TransferState { Waiting, Moving, Finished, Failed, Cancelled, Paused };

class TransferListView {
public:
    virtual ~TransferListView() = default;

    // Appends a row with its three columns and an image index of the small image list.
    virtual void AppendRow(const std::string& name, const std::string& status,
                           const std::string& host, int image) = 0;
    virtual void SetStatus(std::size_t row, const std::string& status, TransferState state) = 0;
    // How far a moving transfer has got, right after its status: a view that draws a bar
    // overrides this.
    virtual void SetProgress(std::size_t /*row*/, unsigned /*percent*/) {}
    // Removes the row; the rows behind it move up by one.
    virtual void DeleteRow(std::size_t row) = 0;
    // Removes `count` rows from `first` on. A view that can drop a run of rows in one step
    // overrides this: rows finished within one second go together.
    virtual void DeleteRows(std::size_t first, std::size_t count) {
        while (count > 0) DeleteRow(first + --count);
    }
    // Positions of the selected rows, ascending.
    virtual std::vector<std::size_t> SelectedRows() const = 0;
};

}  // namespace ui
