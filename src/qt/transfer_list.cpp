#include "qt/transfer_list.h"

#include <QHeaderView>
#include <algorithm>

#include "qt/cut_text_tips.h"
#include "qt/icons.h"
#include "qt/qt_text.h"
#include "qt/transfer_status_cell.h"
#include "ui/desktop/layout_settings.h"

namespace qtui {

TransferList::TransferList(QWidget* parent) : QTreeWidget(parent) {
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setAllColumnsShowFocus(true);
    setContextMenuPolicy(Qt::CustomContextMenu);
    setColumnCount(static_cast<int>(ui::kTransferListColumns.size()));
    QStringList titles;
    for (const ui::ColumnInfo& column : ui::kTransferListColumns) titles << Tr(column.title);
    setHeaderLabels(titles);
    for (int i = 0; i < columnCount(); ++i) {
        if (ui::kTransferListColumns[static_cast<std::size_t>(i)].rightAligned) {
            headerItem()->setTextAlignment(i, Qt::AlignRight | Qt::AlignVCenter);
        }
    }
    header()->setStretchLastSection(false);
    setItemDelegateForColumn(1, new TransferStatusCell(this));
    ShowCutTextsInToolTips(this);
}

void TransferList::AppendRow(const std::string& name, const std::string& status,
                             const std::string& host, int image) {
    auto* item = new QTreeWidgetItem(QStringList{ToQt(name), ToQt(status), ToQt(host)});
    item->setIcon(0, SmallIcon(image));
    item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    // The status column keeps the width the user left it at; a status cut short there still
    // shows whole under the pointer.
    item->setToolTip(1, item->text(1));
    item->setData(1, kTransferStateRole, static_cast<int>(ui::TransferState::Waiting));
    addTopLevelItem(item);
}

void TransferList::SetStatus(std::size_t row, const std::string& status, ui::TransferState state) {
    if (QTreeWidgetItem* item = topLevelItem(static_cast<int>(row))) {
        item->setText(1, ToQt(status));
        item->setToolTip(1, item->text(1));
        item->setData(1, kTransferStateRole, static_cast<int>(state));
        // A bar only for what moves, and only once it says how far it got.
        if (state != ui::TransferState::Moving) item->setData(1, kTransferPercentRole, QVariant());
    }
}

void TransferList::SetProgress(std::size_t row, unsigned percent) {
    if (QTreeWidgetItem* item = topLevelItem(static_cast<int>(row))) {
        item->setData(1, kTransferPercentRole, static_cast<int>(percent));
    }
}

void TransferList::DeleteRow(std::size_t row) {
    delete takeTopLevelItem(static_cast<int>(row));
}

void TransferList::DeleteRows(std::size_t first, std::size_t count) {
    // The item model drops a run of top-level rows with one removal signal, so the view lays
    // itself out and fixes the selection once per run instead of once per row.
    if (count > 0) model()->removeRows(static_cast<int>(first), static_cast<int>(count));
}

std::vector<std::size_t> TransferList::SelectedRows() const {
    std::vector<std::size_t> rows;
    for (QTreeWidgetItem* item : selectedItems()) {
        rows.push_back(static_cast<std::size_t>(indexOfTopLevelItem(item)));
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

}  // namespace qtui
