// The status cell of the transfer list. Its column starts narrow (100 px), too narrow for
// "Receive 19% (1,234.56 KB/s)": a moving transfer is drawn as a bar with its percentage, a
// failure as its reason behind an error mark, and the whole status is the cell's tooltip.
#pragma once

#include <QStyledItemDelegate>

namespace qtui {

// Item data of the status column.
inline constexpr int kTransferStateRole = Qt::UserRole;        // ui::TransferState as int
inline constexpr int kTransferPercentRole = Qt::UserRole + 1;  // 0-100 while moving

class TransferStatusCell final : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};

// What the cell shows of a failure: its reason, the part after the mark that every language
// puts first ("Failed: disk full" -> "disk full"); the whole text when there is no mark.
QString FailureReason(const QString& status);

}  // namespace qtui
