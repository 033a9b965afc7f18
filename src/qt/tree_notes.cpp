#include "qt/tree_notes.h"

#include <QEvent>
#include <QStyledItemDelegate>
#include <QTreeWidget>

namespace qtui {

namespace {

constexpr int kTextMargin = 4;

class NoteCell final : public QStyledItemDelegate {
public:
    NoteCell(QTreeWidget* tree, int nodeRole)
        : QStyledItemDelegate(tree), tree_(tree), nodeRole_(nodeRole) {}

    bool IsNote(const QModelIndex& index) const {
        return !index.parent().isValid() && !index.data(nodeRole_).isValid();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QSize plain = QStyledItemDelegate::sizeHint(option, index);
        if (!IsNote(index)) return plain;
        const QRect text =
            option.fontMetrics.boundingRect(QRect(0, 0, TextWidth(), 100000), Qt::TextWordWrap,
                                            index.data(Qt::DisplayRole).toString());
        return {qMin(plain.width(), Room()), qMax(plain.height(), text.height() + kTextMargin)};
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem cell = option;
        if (IsNote(index)) cell.features |= QStyleOptionViewItem::WrapText;
        QStyledItemDelegate::paint(painter, cell, index);
    }

private:
    // What a top-level item has of the viewport's width, and of that what its text has.
    int Room() const {
        return qMax(
            1, tree_->viewport()->width() - (tree_->rootIsDecorated() ? tree_->indentation() : 0));
    }
    int TextWidth() const { return qMax(1, Room() - tree_->iconSize().width() - 3 * kTextMargin); }

    QTreeWidget* tree_;
    int nodeRole_;
};

// A wider or narrower tree wraps its notes anew.
class RelayoutOnResize final : public QObject {
public:
    RelayoutOnResize(QTreeWidget* tree, const NoteCell* cell)
        : QObject(tree), tree_(tree), cell_(cell) {}

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Resize && HasNote()) tree_->doItemsLayout();
        return false;
    }

private:
    bool HasNote() const {
        for (int i = 0; i < tree_->topLevelItemCount(); ++i) {
            if (cell_->IsNote(tree_->model()->index(i, 0))) return true;
        }
        return false;
    }

    QTreeWidget* tree_;
    const NoteCell* cell_;
};

}  // namespace

void WrapTreeNotes(QTreeWidget* tree, int nodeRole) {
    auto* cell = new NoteCell(tree, nodeRole);
    tree->setItemDelegate(cell);
    tree->viewport()->installEventFilter(new RelayoutOnResize(tree, cell));
}

}  // namespace qtui
