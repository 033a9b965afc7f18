// What the controller needs of the tree of hosts, shares and folders beyond the model's TreeSink
// (which inserts, labels and deletes the items).
#pragma once

class CNetNode;

namespace ui {

class TreeView {
public:
    virtual ~TreeView() = default;

    // The node of the selected item; null when nothing is selected or the selected item belongs
    // to no node.
    virtual CNetNode* SelectedNode() const = 0;
    // Whether the node's item shows its children.
    virtual bool IsExpanded(const CNetNode& node) const = 0;
    // Selects the node's item and scrolls it into view. The controller refills the file list
    // itself; a view that also reports the change only causes a second, identical fill.
    // When the selected item is deleted (its node went), the view selects another item or none
    // and reports the change like a user's selection.
    virtual void SelectNode(const CNetNode& node) = 0;
    // Shows the node's children (reported back as the user opening it, when the view reports that).
    virtual void ExpandNode(const CNetNode& node) = 0;
};

}  // namespace ui
