#include "qt/cut_text_tips.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QStyledItemDelegate>
#include <QToolTip>

namespace qtui {

namespace {

class CutTextTips final : public QObject {
public:
    explicit CutTextTips(QAbstractItemView* view) : QObject(view), view_(view) {}

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::ToolTip) return false;
        const auto* help = static_cast<QHelpEvent*>(event);
        const QModelIndex index = view_->indexAt(help->pos());
        // A tooltip of the cell's own (the transfer status) is the view's to show.
        if (!index.isValid() || index.data(Qt::ToolTipRole).isValid()) return false;
        const QString text = CutText(*view_, index);
        if (!text.isEmpty()) {
            QToolTip::showText(help->globalPos(), text, view_->viewport(),
                               view_->visualRect(index));
        } else {
            QToolTip::hideText();
        }
        return true;
    }

private:
    QAbstractItemView* view_;
};

}  // namespace

QString CutText(const QAbstractItemView& view, const QModelIndex& index) {
    const QString text = index.data(Qt::DisplayRole).toString();
    if (text.isEmpty()) return {};
    QStyleOptionViewItem option;
    option.initFrom(&view);
    option.font = view.font();
    option.fontMetrics = view.fontMetrics();
    const QSize icon = view.iconSize();
    option.decorationSize = icon.isValid() ? icon : QSize(16, 16);
    option.features = QStyleOptionViewItem::HasDisplay | QStyleOptionViewItem::HasDecoration;
    const int needed = view.itemDelegateForIndex(index)->sizeHint(option, index).width();
    return needed > view.visualRect(index).width() ? text : QString();
}

void ShowCutTextsInToolTips(QAbstractItemView* view) {
    view->viewport()->installEventFilter(new CutTextTips(view));
}

}  // namespace qtui
