// What the lists of rows beside the tree share (the file list and the search results): rows
// without branches, picked several at a time and whole, a menu on a right click, columns sized by
// their owner, texts cut short shown whole in tooltips, sizes lined up on the right.
#pragma once

#include <QVariant>

class QTreeView;

namespace qtui {

// Called in the list's constructor, once its model is set.
void SetUpRowList(QTreeView& view);

// The alignment of a size column's cells and header: digits of the same place line up.
QVariant SizeColumnAlignment();

}  // namespace qtui
