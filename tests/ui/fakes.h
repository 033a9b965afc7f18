// Test doubles of the controller's views: each records what the controller asked of it and
// answers from fields the test sets.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "model/net_node.h"
#include "model/tree_sink.h"
#include "ui/lumvale_dialog_views.h"

namespace fakes {

// The tree: items with their texts and images, plus selection and expansion.
class FakeTree final : public TreeSink, public ui::TreeView {
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
        items[item] = Item{text, parent, -1, -1, nullptr};
        return item;
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
        std::vector<TreeItem> children;
        for (const auto& [handle, entry] : items) {
            if (entry.parent == item) children.push_back(handle);
        }
        for (TreeItem child : children) DeleteItem(child);
        items.erase(item);
        if (selected == item) selected = kNoTreeItem;
        expanded.erase(std::remove(expanded.begin(), expanded.end(), item), expanded.end());
    }
    void Invalidate() override {}

    CNetNode* SelectedNode() const override {
        const auto found = items.find(selected);
        return found == items.end() ? nullptr : found->second.node;
    }
    bool IsExpanded(const CNetNode& node) const override {
        return std::find(expanded.begin(), expanded.end(), node.GetTreeItem()) != expanded.end();
    }
    void SelectNode(const CNetNode& node) override { selected = node.GetTreeItem(); }

    // The item whose text is `text`, or kNoTreeItem.
    TreeItem Find(const std::string& text) const {
        for (const auto& [handle, entry] : items) {
            if (entry.text == text) return handle;
        }
        return kNoTreeItem;
    }
    CNetNode* NodeOf(const std::string& text) const {
        const TreeItem item = Find(text);
        return item == kNoTreeItem ? nullptr : items.at(item).node;
    }
    void Select(const std::string& text) { selected = Find(text); }
    void Expand(const std::string& text) { expanded.push_back(Find(text)); }

    std::map<TreeItem, Item> items;
    TreeItem selected = kNoTreeItem;
    std::vector<TreeItem> expanded;

private:
    TreeItem nextItem_ = 1;
};

class FakeFileList final : public ui::FileListView {
public:
    struct Row {
        std::string name;
        std::string size;
        int image = -1;
    };
    void Clear() override {
        rows.clear();
        ++clears;
    }
    void AddRow(const std::string& name, const std::string& sizeText, int image) override {
        rows.push_back({name, sizeText, image});
    }
    std::vector<std::size_t> SelectedRows() const override { return selected; }
    void SetSortMark(int column, ui::SortMark mark) override { marks[column] = mark; }

    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const Row& row : rows) names.push_back(row.name);
        return names;
    }
    // Selects the rows with these names.
    void SelectNames(const std::vector<std::string>& names) {
        selected.clear();
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (std::find(names.begin(), names.end(), rows[i].name) != names.end()) {
                selected.push_back(i);
            }
        }
    }

    std::vector<Row> rows;
    std::vector<std::size_t> selected;
    std::map<int, ui::SortMark> marks;
    int clears = 0;
};

class FakeTransferList final : public ui::TransferListView {
public:
    struct Row {
        std::string name;
        std::string status;
        std::string host;
        int image = -1;
    };
    void AppendRow(const std::string& name, const std::string& status, const std::string& host,
                   int image) override {
        rows.push_back({name, status, host, image});
    }
    void SetStatus(std::size_t row, const std::string& status) override {
        rows.at(row).status = status;
    }
    void DeleteRow(std::size_t row) override {
        rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(row));
    }
    std::vector<std::size_t> SelectedRows() const override { return selected; }

    std::vector<Row> rows;
    std::vector<std::size_t> selected;
};

class FakeChat final : public ui::ChatView {
public:
    void AppendHistoryLine(const std::string& line) override { lines.push_back(line); }
    void RemoveFirstHistoryLine() override { lines.pop_front(); }
    std::string InputText() const override { return input; }
    void ClearInput() override { input.clear(); }
    void FocusInput() override { ++focusCount; }

    std::deque<std::string> lines;
    std::string input;
    int focusCount = 0;
};

// Answers every question with the next queued answer, or `fallback` when none is queued.
class FakePrompt final : public ui::PromptView {
public:
    ui::Answer Ask(const std::string& text, ui::PromptButtons buttons) override {
        questions.push_back(text);
        lastButtons = buttons;
        if (whileAsking) whileAsking();
        if (answers.empty()) return fallback;
        const ui::Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::vector<std::string> questions;
    ui::PromptButtons lastButtons = ui::PromptButtons::YesNo;
    std::deque<ui::Answer> answers;
    ui::Answer fallback = ui::Answer::No;
    // Runs while the question is on screen, as a modal message loop would.
    std::function<void()> whileAsking;
};

class FakeFolderChooser final : public ui::FolderChooserView {
public:
    bool ChooseFolder(const std::string& title, const std::string& start,
                      std::string& chosen) override {
        ++asked;
        lastTitle = title;
        lastStart = start;
        if (answer.empty()) return false;
        chosen = answer;
        return true;
    }

    int asked = 0;
    std::string lastTitle;
    std::string lastStart;
    // Empty: the user cancels.
    std::string answer;
};

class FakeSound final : public ui::SoundView {
public:
    void Play(ui::EventSound kind) override { played.push_back(kind); }
    std::vector<ui::EventSound> played;
};

class FakeFocus final : public ui::FocusView {
public:
    ui::FocusTarget FocusedControl() const override { return focused; }
    ui::FocusTarget focused = ui::FocusTarget::Tree;
};

class FakeClock final : public ui::Clock {
public:
    std::uint32_t NowMs() const override { return now.load(); }
    void Advance(std::uint32_t ms) { now += ms; }
    std::atomic<std::uint32_t> now{1'000'000};
};

// All views of one controller.
struct FakeViews {
    FakeTree tree;
    FakeFileList files;
    FakeTransferList transfers;
    FakeChat chat;
    FakePrompt prompt;
    FakeFolderChooser folders;
    FakeSound sound;
    FakeFocus focus;
    FakeClock clock;

    ui::ControllerViews Bind(ui::Dispatcher& dispatcher) {
        return ui::ControllerViews{tree,    tree,  files, transfers, chat,      prompt,
                                   folders, sound, focus, clock,     dispatcher};
    }
};

}  // namespace fakes
