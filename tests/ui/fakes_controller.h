// Fake views that record what the controller asked of them and answer from fields the test sets,
// and a controller on them and a fake network, started the way a front end starts it, with helpers
// that play the network threads' part.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>

#include "core/parseini.h"
#include "model/net_node.h"
#include "support/recording_tree.h"
#include "support/temp_folder.h"
#include "ui/controller/dispatcher_queue.h"
#include "ui/controller/lumvale_dialog.h"
#include "ui/controller/lumvale_dialog_views.h"
#include "ui/fakes_network.h"
#include "ui/text/ui_strings.h"
#include "ui/transfers/transfers.h"

namespace fakes {

using Lines = std::vector<std::string>;

// The recorded tree, which the controller also reads back: the selection and expanded items.
struct FakeTree final : testing_support::RecordingTree, ui::TreeView {
    void DeleteItem(TreeItem item) override {
        RecordingTree::DeleteItem(item);
        if (selected == item) selected = kNoTreeItem;
    }
    CNetNode* SelectedNode() const override {
        return items.count(selected) ? items.at(selected).node : nullptr;
    }
    bool IsExpanded(const CNetNode& node) const override {
        return expanded.count(node.GetTreeItem());
    }
    void SelectNode(const CNetNode& node) override { selected = node.GetTreeItem(); }
    // Like a real tree, opening an item reports it as the user opening it.
    void ExpandNode(const CNetNode& node) override {
        expanded.insert(node.GetTreeItem());
        if (onExpand) onExpand(*items.at(node.GetTreeItem()).node);
    }
    void Select(const std::string& text) { selected = Find(text); }

    TreeItem selected = kNoTreeItem;
    std::set<TreeItem> expanded;
    std::function<void(CNetNode&)> onExpand;
};

// Rows as "name|size|image" of the file list, "name|status|host|image" of the transfer list.
struct FakeFileList final : ui::FileListView {
    void Clear() override { rows.clear(), ++clears; }
    void AddRow(const std::string& name, const std::string& size, int image) override {
        rows.push_back(name + "|" + size + "|" + std::to_string(image));
    }
    std::vector<std::size_t> SelectedRows() const override { return selected; }
    void SelectRow(std::size_t row) override { selected = {row}; }
    void SetSortMark(int column, ui::SortMark mark) override { marks[column] = mark; }
    void SetStatusText(const std::string& text) override { status = text; }
    Lines Names() const {
        Lines names;
        for (const std::string& row : rows) names.push_back(row.substr(0, row.find('|')));
        return names;
    }
    void SelectNames(const Lines& names) {
        selected.clear();
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (std::count(names.begin(), names.end(), Names()[i])) selected.push_back(i);
    }

    Lines rows;
    std::vector<std::size_t> selected;
    std::map<int, ui::SortMark> marks;
    std::string status;
    int clears = 0;
};

struct FakeTransferList final : ui::TransferListView {
    void AppendRow(const std::string& name, const std::string& status, const std::string& host,
                   int image) override {
        rows.push_back({name, status, host, std::to_string(image)});
    }
    void SetStatus(std::size_t row, const std::string& status, ui::TransferState state) override {
        rows.at(row)[1] = status;
        states[row] = state;
    }
    void DeleteRow(std::size_t row) override { rows.erase(rows.begin() + std::ptrdiff_t(row)); }
    std::vector<std::size_t> SelectedRows() const override { return selected; }
    // One column of every row: 0 name, 1 status, 2 host, 3 image.
    Lines Column(std::size_t column) const {
        Lines cells;
        for (const Lines& row : rows) cells.push_back(row[column]);
        return cells;
    }

    std::vector<Lines> rows;
    std::map<std::size_t, ui::TransferState> states;  // by row, as last set
    std::vector<std::size_t> selected;
};

// Result rows as "host|path|size|modified|image", notes as "note: <text>".
struct FakeSearchList final : ui::SearchView {
    void ShowResultList(bool show) override { shown = show; }
    void ClearResults() override { rows.clear(); }
    void AddResultRows(const std::vector<ui::SearchRow>& added) override {
        for (const ui::SearchRow& row : added)
            rows.push_back(!row.note.empty()
                               ? "note: " + row.note
                               : row.host + "|" + row.path + "|" + row.sizeText + "|" +
                                     row.modifiedText + "|" + std::to_string(row.image));
    }
    std::vector<std::size_t> SelectedResultRows() const override { return selected; }
    void SetSearchStatus(const std::string& text) override { status = text; }
    // Selects the rows whose path column is one of `paths`.
    void SelectPaths(const Lines& paths) {
        selected.clear();
        for (std::size_t i = 0; i < rows.size(); ++i)
            for (const std::string& path : paths)
                if (rows[i].find("|" + path + "|") != std::string::npos) selected.push_back(i);
    }

    bool shown = false;
    Lines rows;
    std::vector<std::size_t> selected;
    std::string status;
};

// What the user types, hears, is asked and answers, where the focus is, and the clock.
struct FakeUser final : ui::ChatView,
                        ui::PromptView,
                        ui::FolderChooserView,
                        ui::SoundView,
                        ui::FocusView,
                        ui::Clock {
    void AppendHistoryLine(const std::string& line) override { chatLines.push_back(line); }
    void RemoveFirstHistoryLine() override { chatLines.pop_front(); }
    std::string InputText() const override { return chatInput; }
    void ClearInput() override { chatInput.clear(); }
    void FocusInput() override { ++inputFocused; }
    // Answers with the next queued answer, or No when none is queued.
    ui::Answer Ask(ui::Question, const std::string& text, ui::PromptButtons buttons) override {
        questions.push_back(text);
        lastButtons = buttons;
        if (whileAsking) whileAsking();
        const ui::Answer answer = answers.empty() ? ui::Answer::No : answers.front();
        if (!answers.empty()) answers.pop_front();
        return answer;
    }
    void ShowRefusalNote(const std::string& text) override { refusalNote = text; }
    bool AsksAPerson() const override { return asksAPerson; }
    bool ChooseFolder(const std::string& title, const std::string& start,
                      std::string& chosen) override {
        folderQuestions.push_back(title + " at " + start);
        chosen = folderAnswer;
        return !chosen.empty();
    }
    void Play(ui::EventSound kind) override { played.push_back(kind); }
    ui::FocusTarget FocusedControl() const override { return focused; }
    std::uint32_t NowMs() const override { return now; }

    std::deque<std::string> chatLines;
    std::string chatInput;
    int inputFocused = 0;
    Lines questions;
    ui::PromptButtons lastButtons = ui::PromptButtons::YesNo;
    std::deque<ui::Answer> answers;
    std::function<void()> whileAsking;  // runs while the question is open, like a modal loop
    std::string refusalNote;
    bool asksAPerson = true;   // false: answers come from settings, as in the headless server
    Lines folderQuestions;     // "<title> at <start folder>"
    std::string folderAnswer;  // empty: the user cancels
    std::vector<ui::EventSound> played;
    ui::FocusTarget focused = ui::FocusTarget::Tree;
    std::atomic<std::uint32_t> now{1'000'000};
};

struct FakeViews {
    FakeTree tree;
    FakeFileList files;
    FakeTransferList transfers;
    FakeUser user;
    FakeSearchList search;

    ui::ControllerViews Bind(ui::Dispatcher& dispatcher) {
        return {tree, tree, files, transfers, user,       user,
                user, user, user,  user,      dispatcher, &search};
    }
};

using ui::FocusTarget;

inline Ipv4 Ip(const char* dotted) {
    Ipv4 address = 0;
    net::ParseIpv4(dotted, address);
    return address;
}
inline const auto Folder = [](const std::string& name) { return DirEntry{name, 0, true}; };
inline const auto File = [](const std::string& name, std::int64_t size = 1) {
    return DirEntry{name, size, false};
};
// A download's report failed the way most failures do; {} reports it done.
inline const util::Status kLost = util::MakeError(util::ErrorKind::ConnectionLost);

class ControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ui::SetCurrentLanguage(ui::Language::English);
        ASSERT_TRUE(sandbox.Valid());
        StartController();
    }
    // A fresh controller on a fresh tree and lists; the previous one shuts down first.
    void StartController(bool debugFeatures = false) {
        controller.reset();
        views.tree = FakeTree();
        views.files = FakeFileList();
        views.transfers = FakeTransferList();
        views.search = FakeSearchList();
        dispatcher = std::make_unique<ui::QueuedDispatcher>();  // a shut one stays shut
        // A fixed number format: the tests compare texts.
        const ui::ControllerOptions options{sandbox.IniPath(), debugFeatures, "testbox", {},
                                            resolver,          true,          {},        stateFile};
        controller = std::make_unique<ui::CLumvaleDialog>(
            views.Bind(*dispatcher), options, [this](const ui::NetworkSetup& setup) {
                auto fake = std::make_unique<FakeNetwork>(setup.listeners);
                network = fake.get();
                return fake;
            });
        controller->Start();
    }

    utilcpp::CParseini Settings() const { return utilcpp::CParseini(sandbox.IniPath()); }
    std::string Setting(const std::string& section, const std::string& key) const {
        std::string value;
        Settings().GetString(section, key, value, "");
        return value;
    }
    void AppearHost(const char* dotted, const std::string& name = {}) {
        network->AddHost(Ip(dotted), name, HostKind::Discovered);
    }
    // A listing of `path` arrives for a job asked for just now.
    JobId DeliverListing(const char* dotted, const std::string& path,
                         const std::vector<DirEntry>& listing) {
        const JobId id = network->AddExpandJob(Ip(dotted), path, nullptr);
        controller->OnExpandSucceeded(id, listing);
        return id;
    }
    // The tree item `text` is selected and the file list filled from it.
    void Show(const std::string& text) {
        views.tree.Select(text);
        controller->FillFileList();
    }
    void SelectRows(const Lines& names) {
        views.user.focused = FocusTarget::FileList;
        views.files.SelectNames(names);
    }
    // The remote host "remote" whose share Music holds the folder Live and the file top.txt; the
    // share is shown.
    void MusicHost() {
        AppearHost("127.0.0.5", "remote");
        DeliverListing("127.0.0.5", "\\", {Folder("Music")});
        DeliverListing("127.0.0.5", "\\Music\\", {Folder("Live"), File("top.txt", 2048)});
        Show("Music");
    }
    const ui::Transfers& Transfers() const { return controller->TransferState(); }

    testing_support::TempFolder sandbox;
    // Where the next StartController keeps the unfinished downloads; empty: nowhere.
    std::string stateFile;
    // The add-host dialog's name lookup, as the next StartController hands it over.
    ui::HostResolver resolver;
    FakeViews views;
    std::unique_ptr<ui::QueuedDispatcher> dispatcher;
    FakeNetwork* network = nullptr;
    std::unique_ptr<ui::CLumvaleDialog> controller;
};

}  // namespace fakes
