// One node of the browsed network: a host, a share, a folder or a file. Hosts, shares and folders
// own a tree item and keep it in step; files live only in the file list.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/types.h"
#include "model/tree_sink.h"

class CNetNode {
public:
    using Children = std::vector<std::unique_ptr<CNetNode>>;

    // A folder entry (hosts, shares, folders) gets a tree item with `text` under `parentItem`; a
    // file gets none. `kind` chooses the image of a host and is ignored below it.
    CNetNode(const DirEntry& info, TreeItem parentItem, Ipv4 address, const std::string& text,
             CNetNode* parent, HostKind kind, TreeSink& tree, const StopFlag* closing);
    // Deletes the subtree, then the own tree item unless the program is closing (the window then
    // removes its items itself).
    ~CNetNode();
    CNetNode(const CNetNode&) = delete;
    CNetNode& operator=(const CNetNode&) = delete;

    // In listing order until SortChildren reorders them.
    const Children& GetChildren() const { return children_; }
    DirEntry GetInfo() const { return info_; }
    // The fields of GetInfo without the copy.
    const std::string& GetName() const { return info_.name; }
    std::int64_t GetSize() const { return info_.size; }
    bool IsFolder() const { return info_.folder; }
    Ipv4 GetAddress() const { return address_; }
    CNetNode* GetParent() const { return parent_; }
    TreeItem GetTreeItem() const { return treeItem_; }

    // The request path: "\" for a host, then names, folders ending in "\" (\Music\Live\a.mp3).
    std::string GetPath() const;

    // Set while an "expand" for this node is outstanding, so it is not requested twice.
    bool IsListingRequested() const { return listingRequested_; }
    void SetListingRequested(bool requested) { listingRequested_ = requested; }

    // Entries the host listed beyond what a listing may hold, as of the last listing.
    std::size_t GetListingLeftOut() const { return listingLeftOut_; }
    void SetListingLeftOut(std::size_t leftOut) { listingLeftOut_ = leftOut; }

    bool IsHost() const { return parent_ == nullptr; }
    bool IsShare() const { return parent_ != nullptr && parent_->parent_ == nullptr; }
    bool IsLocalHost() const;

    void SetText(const std::string& text);

    // Replaces the whole subtree with the listing (never merges). Stops adding entries once the
    // closing flag is seen.
    void SetChildren(const std::vector<DirEntry>& listing);

    // Walks backslash-separated components from this node, comparing names exactly; a trailing
    // backslash is optional. For a host, "" and "\" both give the host itself.
    CNetNode* FindByPath(std::string_view path);

    // Orders the children for the file list. Column 0 sorts by name (ASCII case folded), 1 by
    // size, anything else leaves each group unordered. Ascending puts folders first; descending
    // is the exact mirror image, files first.
    void SortChildren(int column, bool ascending);

private:
    bool IsClosing() const;
    void DeleteChildren();

    const StopFlag* closing_;
    bool listingRequested_ = false;
    std::size_t listingLeftOut_ = 0;
    CNetNode* parent_;
    Ipv4 address_;
    DirEntry info_;
    TreeSink& tree_;
    TreeItem treeItem_ = kNoTreeItem;
    Children children_;
};
