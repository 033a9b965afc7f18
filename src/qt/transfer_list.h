// The transfer list: one row per download or upload, as the controller tells it. The status
// column draws a moving transfer as a bar; any cut text shows whole in its tooltip.
#pragma once

#include <QTreeWidget>

#include "ui/views/transfer_list_view.h"

namespace qtui {

class TransferList final : public QTreeWidget, public ui::TransferListView {
    Q_OBJECT
public:
    explicit TransferList(QWidget* parent = nullptr);

    void AppendRow(const std::string& name, const std::string& status, const std::string& host,
                   int image) override;
    void SetStatus(std::size_t row, const std::string& status, ui::TransferState state) override;
    void SetProgress(std::size_t row, unsigned percent) override;
    void DeleteRow(std::size_t row) override;
    void DeleteRows(std::size_t first, std::size_t count) override;
    std::vector<std::size_t> SelectedRows() const override;
};

}  // namespace qtui
