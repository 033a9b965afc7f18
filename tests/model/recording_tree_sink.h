// A tree sink that behaves like a tree view: it keeps live items with their parent, text, images
// and node, deletes subtrees like the real control, and logs every call in order.
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
        const TreeItem item = nextItem_++;
        items_[item] = Item{text, parent};
        order_.push_back(item);
        log_.push_back("insert " + text);
        if (onInsert_) onInsert_();
        return item;
    }
    void SetItemImages(TreeItem item, int image, int selectedImage) override {
        auto& entry = Live(item);
        entry.image = image;
        entry.selectedImage = selectedImage;
        log_.push_back("images " + entry.text + " " + std::to_string(image) + " " +
                       std::to_string(selectedImage));
    }
    void SetItemData(TreeItem item, CNetNode* node) override {
        Live(item).node = node;
        log_.push_back("data " + Live(item).text);
    }
    void SetItemText(TreeItem item, const std::string& text) override {
        Live(item).text = text;
        log_.push_back("text " + text);
    }
    void DeleteItem(TreeItem item) override {
        log_.push_back("delete " + Live(item).text);
        ++deleteCalls_;
        Erase(item);
    }
    void Invalidate() override { log_.push_back("invalidate"); }

    // Live items under `parent` in insertion order.
    std::vector<TreeItem> ChildItems(TreeItem parent) const {
        std::vector<TreeItem> result;
        for (TreeItem item : order_) {
            const auto found = items_.find(item);
            if (found != items_.end() && found->second.parent == parent) result.push_back(item);
        }
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
    // Calls made to an item that is already gone; a correct model makes none.
    int StaleCalls() const { return staleCalls_; }
    std::vector<std::string>& Log() { return log_; }
    void OnInsert(std::function<void()> hook) { onInsert_ = std::move(hook); }

private:
    Item& Live(TreeItem item) {
        auto found = items_.find(item);
        if (found == items_.end()) {
            ++staleCalls_;
            return scratch_;
        }
        return found->second;
    }
    void Erase(TreeItem item) {
        if (items_.erase(item) == 0) return;
        for (TreeItem child : ChildItems(item)) Erase(child);
    }

    TreeItem nextItem_ = 1;
    std::map<TreeItem, Item> items_;
    std::vector<TreeItem> order_;
    std::vector<std::string> log_;
    std::function<void()> onInsert_;
    Item scratch_;
    int deleteCalls_ = 0;
    int staleCalls_ = 0;
};
