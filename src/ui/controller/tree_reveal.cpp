#include "ui/controller/tree_reveal.h"

#include <string_view>

namespace ui {

namespace {

CNetNode* FolderChild(const CNetNode& node, std::string_view name) {
    for (const auto& child : node.GetChildren()) {
        if (child->IsFolder() && child->GetName() == name) return child.get();
    }
    return nullptr;
}

bool HasChild(const CNetNode& node, std::string_view name) {
    for (const auto& child : node.GetChildren()) {
        if (child->GetName() == name) return true;
    }
    return false;
}

}  // namespace

bool TreeReveal::Awaits(Ipv4 address, std::string_view path) const {
    if (!active_ || address != target_.address || path.empty()) return false;
    if (path.back() != '\\')
        return awaited_.size() == path.size() + 1 && awaited_.starts_with(path);
    return awaited_ == path;
}

void TreeReveal::Begin(Target target) {
    target_ = std::move(target);
    asked_.clear();
    awaited_.clear();
    active_ = true;
}

TreeReveal::Step TreeReveal::Advance(CNetStructure& model) {
    Step step;
    if (!active_) return step;
    CNetNode* node = model.FindNode(target_.address, "\\");
    auto finish = [&](CNetNode* reached) {
        active_ = false;
        step.done = true;
        step.reached = reached;
        return step;
    };
    auto ask = [&](CNetNode& folder) {
        step.list = &folder;
        awaited_ = folder.GetPath();
        asked_.insert(awaited_);
        return step;
    };
    if (node == nullptr) return finish(nullptr);
    const std::string_view path = target_.folderPath;
    std::size_t start = 1;
    while (start < path.size()) {
        const std::size_t end = std::min(path.find('\\', start), path.size());
        CNetNode* child = FolderChild(*node, path.substr(start, end - start));
        if (child == nullptr) {
            return asked_.count(node->GetPath()) ? finish(node) : ask(*node);
        }
        node = child;
        start = end + 1;
    }
    if (!target_.itemName.empty() && !HasChild(*node, target_.itemName) &&
        !asked_.count(node->GetPath())) {
        return ask(*node);
    }
    return finish(node);
}

}  // namespace ui
