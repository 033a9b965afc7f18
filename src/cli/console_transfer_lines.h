// The transfer list of a serving host, shown as lines: a row whose transfer begins to move and a
// row that reaches its final status each become one line on the console.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "ui/views/transfer_list_view.h"

namespace cli {

enum class TransferDirection { Upload, Download };

// Each returns the line without its line end; names are cleaned of control characters.
std::string TransferStartedLine(TransferDirection direction, const std::string& file,
                                const std::string& host);
std::string TransferFinishedLine(TransferDirection direction, const std::string& file,
                                 const std::string& host, bool success);

class ConsoleTransferLines final : public ui::TransferListView {
public:
    explicit ConsoleTransferLines(std::ostream& out) : out_(out) {}

    void AppendRow(const std::string& name, const std::string& status, const std::string& host,
                   int image) override;
    // A row that starts moving or ends becomes a line; the status text itself is not shown.
    void SetStatus(std::size_t row, const std::string& status, ui::TransferState state) override;
    void DeleteRow(std::size_t row) override;
    void DeleteRows(std::size_t first, std::size_t count) override;
    std::vector<std::size_t> SelectedRows() const override { return {}; }

private:
    struct Row {
        std::string name;
        std::string host;
        TransferDirection direction = TransferDirection::Download;
        bool started = false;
        bool ended = false;
    };

    std::ostream& out_;
    std::vector<Row> rows_;
};

}  // namespace cli
