#include "model/net_node.h"

#include <arpa/inet.h>

#include <algorithm>

namespace {

int HostImage(HostKind kind) {
    switch (kind) {
        case HostKind::LocalHost:
            return tree_image::kLocalHost;
        case HostKind::Discovered:
            return tree_image::kDiscoveredHost;
        default:
            return tree_image::kManualHost;
    }
}

// A listed name may hold backslashes (it cannot be found by path then); only its last component
// is shown.
std::string DisplayText(const std::string& name) {
    const auto slash = name.rfind('\\');
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

}  // namespace

CNetNode::CNetNode(const DirEntry& info, TreeItem parentItem, Ipv4 address, const std::string& text,
                   CNetNode* parent, HostKind kind, TreeSink& tree, const StopFlag* closing)
    : closing_(closing), parent_(parent), address_(address), info_(info), tree_(tree) {
    if (!info_.folder) return;
    treeItem_ = tree_.InsertItem(text, parentItem);
    int image = tree_image::kFolderNotListed;
    if (IsHost())
        image = HostImage(kind);
    else if (IsShare())
        image = tree_image::kShare;
    tree_.SetItemImages(treeItem_, image, image);
    tree_.Invalidate();
    tree_.SetItemData(treeItem_, this);
}

CNetNode::~CNetNode() {
    DeleteChildren();
    if (treeItem_ != kNoTreeItem && !IsClosing()) tree_.DeleteItem(treeItem_);
}

bool CNetNode::IsClosing() const {
    return IsStopped(closing_);
}

void CNetNode::DeleteChildren() {
    // One by one in vector order, so the tree items go in a predictable sequence.
    for (auto& child : children_) child.reset();
    children_.clear();
}

bool CNetNode::IsLocalHost() const {
    return address_ == LoopbackIpv4();
}

void CNetNode::SetText(const std::string& text) {
    if (treeItem_ != kNoTreeItem) tree_.SetItemText(treeItem_, text);
}

std::string CNetNode::GetPath() const {
    if (IsHost()) return info_.name + '\\';
    std::string path = parent_->GetPath();
    path += info_.name;
    if (info_.folder) path += '\\';
    return path;
}

void CNetNode::SetChildren(const std::vector<DirEntry>& listing) {
    DeleteChildren();
    children_.reserve(listing.size());
    for (const auto& entry : listing) {
        if (IsClosing()) break;
        children_.push_back(std::make_unique<CNetNode>(entry, treeItem_, address_,
                                                       DisplayText(entry.name), this,
                                                       HostKind::Manual, tree_, closing_));
    }
    if (!IsHost() && !IsShare()) {
        tree_.SetItemImages(treeItem_, tree_image::kFolderClosed, tree_image::kFolderOpen);
    }
}

CNetNode* CNetNode::FindByPath(std::string_view path) {
    const auto slash = path.find('\\');
    if (path.substr(0, slash) != info_.name) return nullptr;
    if (slash == std::string_view::npos || slash + 1 == path.size()) return this;
    const auto rest = path.substr(slash + 1);
    // A child can only match when it carries the next component's name; testing that here keeps
    // a lookup in a large folder from scanning the path once per child. Equally named children
    // are tried in order, the first that leads somewhere wins.
    const auto next = rest.substr(0, rest.find('\\'));
    for (auto& child : children_) {
        if (child->info_.name != next) continue;
        if (CNetNode* found = child->FindByPath(rest)) return found;
    }
    return nullptr;
}

namespace {

// Byte-wise, ASCII letters folded to lower case, every other byte as it is (unsigned).
int CompareNoCase(const std::string& a, const std::string& b) {
    const auto fold = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const int diff =
            fold(static_cast<unsigned char>(a[i])) - fold(static_cast<unsigned char>(b[i]));
        if (diff != 0) return diff;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

// Carries the column and direction for the length of one sort.
class ChildOrder {
public:
    ChildOrder(int column, bool ascending) : column_(column), ascending_(ascending) {}

    bool operator()(const std::unique_ptr<CNetNode>& a, const std::unique_ptr<CNetNode>& b) const {
        return ascending_ ? Before(*a, *b) : Before(*b, *a);
    }

private:
    // The ascending order: folders first, then the column's key.
    bool Before(const CNetNode& a, const CNetNode& b) const {
        if (a.IsFolder() != b.IsFolder()) return a.IsFolder();
        switch (column_) {
            case 0:
                return CompareNoCase(a.GetName(), b.GetName()) < 0;
            case 1:
                return a.GetSize() < b.GetSize();
            default:
                return false;
        }
    }

    int column_;
    bool ascending_;
};

}  // namespace

void CNetNode::SortChildren(int column, bool ascending) {
    std::sort(children_.begin(), children_.end(), ChildOrder(column, ascending));
}
