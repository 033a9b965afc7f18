// The views of a serving host, which has no window: host events, transfers and chat lines go to
// the console, questions are answered by the settings, and everything a user would select, see
// or hear is empty or silent.
#pragma once

#include <iosfwd>
#include <string>

#include "cli/console_host_lines.h"
#include "cli/console_transfer_lines.h"
#include "core/parseini.h"
#include "ui/controller/lumvale_dialog_views.h"

namespace cli {

// Chat lines go to the console; the input line is what serve last read from standard input.
class ConsoleChat final : public ui::ChatView {
public:
    explicit ConsoleChat(std::ostream& out) : out_(out) {}

    void AppendHistoryLine(const std::string& line) override;
    void RemoveFirstHistoryLine() override {}
    std::string InputText() const override { return input_; }
    void ClearInput() override { input_.clear(); }
    void FocusInput() override {}

    void SetInput(std::string text) { input_ = std::move(text); }

private:
    std::ostream& out_;
    std::string input_;
};

// Nobody is there to ask: an unknown host may download when "allowunknown" of section "global"
// is 1, and every other question is answered No.
class SettingsPrompt final : public ui::PromptView {
public:
    explicit SettingsPrompt(const std::string& settingsFile) : settings_(settingsFile) {}

    ui::Answer Ask(ui::Question question, const std::string& text,
                   ui::PromptButtons buttons) override;
    bool AsksAPerson() const override { return false; }

private:
    utilcpp::CParseini settings_;
};

// The controls a window would have: nothing selected, nothing focused, nothing shown or heard.
class NoWindow final : public ui::TreeView,
                       public ui::FileListView,
                       public ui::FolderChooserView,
                       public ui::SoundView,
                       public ui::FocusView {
public:
    CNetNode* SelectedNode() const override { return nullptr; }
    bool IsExpanded(const CNetNode&) const override { return false; }
    void SelectNode(const CNetNode&) override {}
    void ExpandNode(const CNetNode&) override {}

    void Clear() override {}
    void AddRow(const std::string&, const std::string&, int) override {}
    std::vector<std::size_t> SelectedRows() const override { return {}; }
    void SelectRow(std::size_t) override {}
    void SetSortMark(int, ui::SortMark) override {}
    void SetStatusText(const std::string&) override {}

    bool ChooseFolder(const std::string&, const std::string&, std::string&) override {
        return false;
    }
    void Play(ui::EventSound) override {}
    ui::FocusTarget FocusedControl() const override { return ui::FocusTarget::None; }
};

// Every view of a serving host, handed to the controller as one set.
class ServeViews {
public:
    ServeViews(std::ostream& out, const std::string& settingsFile, ui::Dispatcher& dispatcher)
        : hosts_(out),
          transfers_(out),
          chat_(out),
          prompt_(settingsFile),
          dispatcher_(dispatcher) {}
    ServeViews(const ServeViews&) = delete;
    ServeViews& operator=(const ServeViews&) = delete;

    ui::ControllerViews Views() {
        return {hosts_,  window_, window_, transfers_, chat_,      prompt_,
                window_, window_, window_, clock_,     dispatcher_};
    }
    ConsoleChat& Chat() { return chat_; }

private:
    ConsoleHostLines hosts_;
    NoWindow window_;
    ConsoleTransferLines transfers_;
    ConsoleChat chat_;
    SettingsPrompt prompt_;
    ui::SteadyClock clock_;
    ui::Dispatcher& dispatcher_;
};

}  // namespace cli
