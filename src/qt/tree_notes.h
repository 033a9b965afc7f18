// Notes in the host tree (the hint to start the program on another computer) are items that
// stand for no node. At the tree's default width such a sentence would be cut; a note wraps at
// the tree's width instead, and grows as many lines as it needs.
#pragma once

class QTreeWidget;

namespace qtui {

// `nodeRole`: the item data that holds an item's node; an item without it is a note.
void WrapTreeNotes(QTreeWidget* tree, int nodeRole);

}  // namespace qtui
