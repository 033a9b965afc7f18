#include "qt/row_list.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

#include "qt/cut_text_tips.h"

namespace qtui {

RowList::RowList(QWidget* parent) : QTreeView(parent) {
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setAllColumnsShowFocus(true);
    setContextMenuPolicy(Qt::CustomContextMenu);
    header()->setStretchLastSection(false);
    ShowCutTextsInToolTips(this);
}

void RowList::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        emit openRequested(false);
        return;
    }
    QTreeView::keyPressEvent(event);
}

void RowList::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!indexAt(event->position().toPoint()).isValid()) return;
    emit openRequested((event->modifiers() & Qt::AltModifier) != 0);
}

QVariant SizeColumnAlignment() {
    return QVariant(Qt::AlignRight | Qt::AlignVCenter);
}

}  // namespace qtui
