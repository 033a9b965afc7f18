// What the lists of rows beside the tree share (the file list and the search results): rows
// without branches, picked several at a time and whole, a menu on a right click, columns sized by
// their owner, texts cut short shown whole in tooltips, sizes lined up on the right, and Enter or
// a double click to open what is picked.
#pragma once

#include <QTreeView>
#include <QVariant>

namespace qtui {

class RowList : public QTreeView {
    Q_OBJECT
public:
    explicit RowList(QWidget* parent = nullptr);

signals:
    // Enter on the list, or a double click on a row (with Alt: into the last download folder).
    void openRequested(bool useLastFolder);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

// The alignment of a size column's cells and header: digits of the same place line up.
QVariant SizeColumnAlignment();

}  // namespace qtui
