// The program's one top-level window: builds the views, hands them to the main-window
// controller, and turns menus, toolbar, keys, timers and the window's own events into the
// controller's operations. Every decision is the controller's; this class only shows.
#pragma once

#include <QMainWindow>
#include <QTimer>
#include <memory>
#include <string>

#include "core/parseini.h"
#include "qt/chat_sound.h"
#include "qt/qt_dispatcher.h"
#include "ui/controller/lumvale_dialog.h"
#include "ui/views/clock.h"

class QAction;
class QLabel;
class QMenu;

namespace qtui {

class ChatPane;
class ClientArea;
class FileList;
class HostTree;
class TransferList;

struct MainWindowOptions {
    std::string settingsFile;
    bool debugFeatures = false;
    // Where unfinished downloads are kept across restarts; empty: nowhere.
    std::string downloadStateFile;
};

// The menu and toolbar commands, by what they do.
struct CommandActions {
    QAction* download = nullptr;
    QAction* addShare = nullptr;
    QAction* removeShare = nullptr;
    QAction* shareProperties = nullptr;
    QAction* addHost = nullptr;
    QAction* removeHost = nullptr;
    QAction* refresh = nullptr;
    QAction* close = nullptr;
    QAction* options = nullptr;
    QAction* helpTopics = nullptr;
    QAction* findComputer = nullptr;
    QAction* about = nullptr;
    QAction* cancel = nullptr;
    QAction* pause = nullptr;
    QAction* resume = nullptr;
    QAction* up = nullptr;
};

class MainWindow final : public QMainWindow,
                         public ui::PromptView,
                         public ui::FolderChooserView,
                         public ui::SoundView,
                         public ui::FocusView {
    Q_OBJECT
public:
    MainWindow(MainWindowOptions options, ui::NetworkFactory network);
    ~MainWindow() override;

    // Before the window shows: the splash screen unless "skipsplash" is set, then, on the first
    // start, the first-run wizard. False when the session ended meanwhile: then nothing is shown.
    bool ShowStartDialogs();
    // Restores the stored placement (or 850 x 600 centred), the column widths and panel sizes,
    // and shows the window.
    void RestoreLayoutAndShow();
    // Closing without the question about running transfers (session end, SIGTERM, SIGINT); a
    // dialog that is open then is cancelled, so that nothing waits for its answer.
    void EndSession();
    // Brings the window to the front, restored if minimised (a second start asked for it).
    void Raise();

    ui::CLumvaleDialog& Controller() { return *controller_; }
    QtDispatcher& Dispatcher() { return dispatcher_; }
    HostTree& Tree() { return *tree_; }
    FileList& Files() { return *files_; }
    TransferList& Transfers() { return *transfers_; }
    ChatPane& Chat() { return *chat_; }
    ClientArea& Client() { return *client_; }
    const CommandActions& Actions() const { return actions_; }
    QMenu* FileMenu() const { return fileMenu_; }
    // Enables and shows the commands as the controller says for the current selection and focus;
    // what a menu does when it opens. Returns the state it applied.
    ui::MenuState UpdateCommandStates();
    // The context menus, built as they open (public for tests: they are shown with exec).
    std::unique_ptr<QMenu> TreeContextMenu();
    std::unique_ptr<QMenu> FileContextMenu();
    std::unique_ptr<QMenu> TransferContextMenu();
    // A folder dropped on the tree: offered as a share of this computer.
    void ShareDroppedFolder(const QString& folder);

    // ---- Views the controller asks ----
    ui::Answer Ask(ui::Question question, const std::string& text,
                   ui::PromptButtons buttons) override;
    void ShowRefusalNote(const std::string& text) override;
    bool ChooseFolder(const std::string& title, const std::string& start,
                      std::string& chosen) override;
    void Play(ui::EventSound kind) override;
    ui::FocusTarget FocusedControl() const override;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void BuildPanes();
    void BuildMenusAndToolbar();
    void ConnectViews();
    void ShowContextMenu(std::unique_ptr<QMenu> menu, QWidget* owner, const QPoint& position);
    // Shift+F10 or the Menu key: the context menu of the control that has the focus.
    void OpenContextMenuByKey();
    void AddDownloadToItem(QMenu& menu, const ui::MenuState& state);
    void SaveLayout();
    void StopController();
    void MoveFocus(ui::FocusTarget target);
    QWidget* WidgetFor(ui::FocusTarget target) const;

    void AddShare();
    void EditShareProperties();
    void ShowOptions();
    void AddHostByHand();
    void ShowAbout();
    void ShowHelp();
    void ShowDiagnosis();

    const MainWindowOptions options_;
    utilcpp::CParseini settings_;
    QtDispatcher dispatcher_;
    ui::SteadyClock clock_;

    ClientArea* client_ = nullptr;
    HostTree* tree_ = nullptr;
    FileList* files_ = nullptr;
    ChatPane* chat_ = nullptr;
    TransferList* transfers_ = nullptr;
    QMenu* fileMenu_ = nullptr;
    QLabel* refusalNote_ = nullptr;
    CommandActions actions_;
    QTimer secondTimer_;
    QTimer tenthTimer_;
    ChatSound chatSound_;

    std::unique_ptr<ui::CLumvaleDialog> controller_;
    bool sessionEnding_ = false;
    bool layoutSaved_ = false;
    bool stopped_ = false;
};

}  // namespace qtui
