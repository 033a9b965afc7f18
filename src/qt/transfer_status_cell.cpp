#include "qt/transfer_status_cell.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>

#include "ui/views/transfer_list_view.h"

namespace qtui {

namespace {

constexpr int kBarMargin = 1;

}  // namespace

QString FailureReason(const QString& status) {
    const qsizetype colon = status.indexOf(QLatin1Char(':'));
    if (colon < 0) return status;
    const QString reason = status.mid(colon + 1).trimmed();
    return reason.isEmpty() ? status : reason;
}

void TransferStatusCell::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    const QVariant stateData = index.data(kTransferStateRole);
    const QVariant percentData = index.data(kTransferPercentRole);
    const auto state = static_cast<ui::TransferState>(stateData.toInt());
    if (stateData.isValid() && state == ui::TransferState::Moving && percentData.isValid()) {
        QStyleOptionViewItem background = option;
        initStyleOption(&background, index);
        background.text.clear();
        QStyle* style = option.widget ? option.widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &background, painter, option.widget);
        QStyleOptionProgressBar bar;
        bar.rect = option.rect.adjusted(kBarMargin, kBarMargin, -kBarMargin, -kBarMargin);
        bar.minimum = 0;
        bar.maximum = 100;
        bar.progress = qBound(0, percentData.toInt(), 100);
        bar.text = QString::number(bar.progress) + QLatin1Char('%');
        bar.textVisible = true;
        bar.textAlignment = Qt::AlignCenter;
        bar.state = option.state | QStyle::State_Horizontal;
        bar.direction = option.direction;
        bar.fontMetrics = option.fontMetrics;
        bar.palette = option.palette;
        style->drawControl(QStyle::CE_ProgressBar, &bar, painter, option.widget);
        return;
    }
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    if (stateData.isValid() && state == ui::TransferState::Failed) {
        // The reason first, so that a narrow cell still says what went wrong; the mark says
        // that it failed.
        cell.text = FailureReason(cell.text);
        QStyle* style = option.widget ? option.widget->style() : QApplication::style();
        cell.icon = style->standardIcon(QStyle::SP_MessageBoxCritical);
        cell.features |= QStyleOptionViewItem::HasDecoration;
        cell.displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    }
    QStyle* style = option.widget ? option.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, option.widget);
}

}  // namespace qtui
