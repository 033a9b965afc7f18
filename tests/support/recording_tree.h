// A tree sink that records what the host tree view would show. The tree view takes an item's
// children along when it deletes it, so children must be deleted first or their later calls would
// reach items that are gone: a deletion of an item that still has children fails the test, and
// so does any call for an item that is gone (at() throws).
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "model/tree_sink.h"

namespace testing_support {

class RecordingTree : public TreeSink {
public:
    struct Item {
        std::string text;
        TreeItem parent = kTreeRoot;
        int image = -1;
        int selectedImage = -1;
        CNetNode* node = nullptr;
    };

    TreeItem InsertItem(const std::string& text, TreeItem parent) override {
        if (onInsert) onInsert();
        items[++last_] = Item{text, parent};
        return last_;
    }
    void SetItemImages(TreeItem item, int image, int selectedImage) override {
        items.at(item).image = image;
        items.at(item).selectedImage = selectedImage;
    }
    void SetItemData(TreeItem item, CNetNode* node) override { items.at(item).node = node; }
    void SetItemText(TreeItem item, const std::string& text) override {
        items.at(item).text = text;
    }
    void DeleteItem(TreeItem item) override {
        EXPECT_EQ(ChildTexts(item), std::vector<std::string>{});
        EXPECT_EQ(items.erase(item), 1u);
        ++deletes;
    }
    void Invalidate() override {}

    std::vector<std::string> ChildTexts(TreeItem parent) const {
        std::vector<std::string> texts;
        for (const auto& [item, entry] : items)
            if (entry.parent == parent) texts.push_back(entry.text);
        return texts;
    }
    // The item whose text is `text`, or kNoTreeItem.
    TreeItem Find(const std::string& text) const {
        for (const auto& [handle, entry] : items)
            if (entry.text == text) return handle;
        return kNoTreeItem;
    }
    bool Has(const std::string& text) const { return Find(text) != kNoTreeItem; }
    CNetNode* NodeOf(const std::string& text) const {
        return Has(text) ? items.at(Find(text)).node : nullptr;
    }
    int ImageOf(const std::string& text) const { return items.at(Find(text)).image; }

    std::map<TreeItem, Item> items;
    std::function<void()> onInsert;
    int deletes = 0;

private:
    TreeItem last_ = 0;
};

}  // namespace testing_support
