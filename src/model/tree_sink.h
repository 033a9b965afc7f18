// What the network structure needs of the host tree view. The GUI implements it over its tree
// widget; tests record the calls.
#pragma once

#include <cstdint>
#include <string>

class CNetNode;

// Opaque handle of one tree item, chosen by the sink. 0 is never a real item: as a parent it
// stands for the tree's top level, as a node's item it means "none" (files have no item).
using TreeItem = std::uintptr_t;
inline constexpr TreeItem kNoTreeItem = 0;
inline constexpr TreeItem kTreeRoot = 0;

class TreeSink {
public:
    virtual ~TreeSink() = default;

    // Adds an item after the parent's existing child items and returns its handle.
    virtual TreeItem InsertItem(const std::string& text, TreeItem parent) = 0;
    virtual void SetItemImages(TreeItem item, int image, int selectedImage) = 0;
    // Links the item back to its node, so that a selected item leads to the node.
    virtual void SetItemData(TreeItem item, CNetNode* node) = 0;
    virtual void SetItemText(TreeItem item, const std::string& text) = 0;
    // Removes the item together with its child items.
    virtual void DeleteItem(TreeItem item) = 0;
    virtual void Invalidate() = 0;
};

// Image indexes of the tree's image list.
namespace tree_image {
inline constexpr int kFolderNotListed = 0;
inline constexpr int kFolderClosed = 1;
inline constexpr int kFolderOpen = 2;
inline constexpr int kDiscoveredHost = 4;
inline constexpr int kLocalHost = 5;
inline constexpr int kShare = 6;
inline constexpr int kManualHost = 9;
}  // namespace tree_image
