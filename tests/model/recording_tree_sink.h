// A tree sink that behaves like a tree view: live items with parent, text, images and node, and
// subtrees deleted with their item, as the real control does.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "model/tree_sink.h"

class RecordingTreeSink : public TreeSink {
public:
    struct Item {
        std::string text;
        TreeItem parent = kTreeRoot;
        int image = -1;
        int selectedImage = -1;
        CNetNode* node = nullptr;
    };

    TreeItem InsertItem(const std::string& text, TreeItem parent) override {
        items_[next_] = Item{text, parent};
        if (onInsert_) onInsert_();
        return next_++;
    }
    void SetItemImages(TreeItem item, int image, int selectedImage) override {
        Live(item).image = image;
        Live(item).selectedImage = selectedImage;
    }
    void SetItemData(TreeItem item, CNetNode* node) override { Live(item).node = node; }
    void SetItemText(TreeItem item, const std::string& text) override { Live(item).text = text; }
    void DeleteItem(TreeItem item) override {
        ++deleteCalls_;
        Live(item);
        Erase(item);
    }
    void Invalidate() override {}

    // Live items under `parent`, in insertion order (handles only grow).
    std::vector<TreeItem> ChildItems(TreeItem parent) const {
        std::vector<TreeItem> result;
        for (const auto& [item, entry] : items_)
            if (entry.parent == parent) result.push_back(item);
        return result;
    }
    std::vector<std::string> ChildTexts(TreeItem parent) const {
        std::vector<std::string> texts;
        for (TreeItem item : ChildItems(parent)) texts.push_back(items_.at(item).text);
        return texts;
    }
    bool IsLive(TreeItem item) const { return items_.count(item) != 0; }
    const Item& Get(TreeItem item) const { return items_.at(item); }
    std::size_t LiveCount() const { return items_.size(); }
    int DeleteCalls() const { return deleteCalls_; }
    // Calls on items already gone, e.g. a child deleted after its parent; a correct model makes
    // none.
    int StaleCalls() const { return staleCalls_; }
    void OnInsert(std::function<void()> hook) { onInsert_ = std::move(hook); }

private:
    Item& Live(TreeItem item) {
        const auto found = items_.find(item);
        if (found != items_.end()) return found->second;
        ++staleCalls_;
        return scratch_;
    }
    void Erase(TreeItem item) {
        if (items_.erase(item) == 0) return;
        for (TreeItem child : ChildItems(item)) Erase(child);
    }

    TreeItem next_ = 1;
    std::map<TreeItem, Item> items_;
    std::function<void()> onInsert_;
    Item scratch_;
    int deleteCalls_ = 0;
    int staleCalls_ = 0;
};
