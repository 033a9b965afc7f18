#include "qt/row_list.h"

#include <QHeaderView>
#include <QTreeView>

#include "qt/cut_text_tips.h"

namespace qtui {

void SetUpRowList(QTreeView& view) {
    view.setRootIsDecorated(false);
    view.setItemsExpandable(false);
    view.setUniformRowHeights(true);
    view.setSelectionMode(QAbstractItemView::ExtendedSelection);
    view.setAllColumnsShowFocus(true);
    view.setContextMenuPolicy(Qt::CustomContextMenu);
    view.header()->setStretchLastSection(false);
    ShowCutTextsInToolTips(&view);
}

QVariant SizeColumnAlignment() {
    return QVariant(Qt::AlignRight | Qt::AlignVCenter);
}

}  // namespace qtui
