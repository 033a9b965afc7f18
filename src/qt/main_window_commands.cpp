// Menus, toolbar, context menus and the commands behind them.
#include <QApplication>
#include <QContextMenuEvent>
#include <QInputDialog>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QShortcut>
#include <QToolBar>

#include "qt/add_host_dialog.h"
#include "qt/chat_pane.h"
#include "qt/client_area.h"
#include "qt/diagnosis_dialog.h"
#include "qt/file_list.h"
#include "qt/help_window.h"
#include "qt/host_tree.h"
#include "qt/icons.h"
#include "qt/main_window.h"
#include "qt/options_sheet.h"
#include "qt/qt_text.h"
#include "qt/setup_wizard.h"
#include "qt/share_dialog.h"
#include "qt/transfer_list.h"
#include "ui/desktop/host_mru.h"
#include "ui/desktop/path_compaction.h"
#include "ui/desktop/share_checks.h"

namespace qtui {

namespace {

// The "Download to" item shows the folder in at most this many characters.
constexpr std::size_t kDownloadToFolderChars = 40;

QAction* AddAction(QMenu* menu, ui::StringId text) {
    return menu->addAction(Tr(text));
}

}  // namespace

void MainWindow::BuildMenusAndToolbar() {
    fileMenu_ = menuBar()->addMenu(Tr(ui::StringId::MenuFile));
    actions_.download = AddAction(fileMenu_, ui::StringId::MenuDownload);
    fileMenu_->addSeparator();
    actions_.addShare = AddAction(fileMenu_, ui::StringId::MenuAddShare);
    actions_.removeShare = AddAction(fileMenu_, ui::StringId::MenuRemoveShare);
    actions_.shareProperties = AddAction(fileMenu_, ui::StringId::MenuShareProperties);
    actions_.addHost = AddAction(fileMenu_, ui::StringId::MenuAddHostManually);
    actions_.removeHost = AddAction(fileMenu_, ui::StringId::MenuRemoveHost);
    fileMenu_->addSeparator();
    actions_.refresh = AddAction(fileMenu_, ui::StringId::MenuRefresh);
    fileMenu_->addSeparator();
    actions_.close = AddAction(fileMenu_, ui::StringId::MenuClose);
    QMenu* tools = menuBar()->addMenu(Tr(ui::StringId::MenuTools));
    actions_.options = AddAction(tools, ui::StringId::MenuOptions);
    QMenu* help = menuBar()->addMenu(Tr(ui::StringId::MenuHelp));
    actions_.helpTopics = AddAction(help, ui::StringId::MenuHelpTopics);
    actions_.findComputer = help->addAction(ToQt(ui::Translate("&Find a missing computer…")));
    help->addSeparator();
    actions_.about = AddAction(help, ui::StringId::MenuAbout);
    actions_.cancel = new QAction(Tr(ui::StringId::MenuCancel), this);
    actions_.pause = new QAction(ToQt(ui::Translate("&Pause")), this);
    actions_.resume = new QAction(ToQt(ui::Translate("&Resume")), this);
    for (QMenu* menu : {fileMenu_, tools, help}) {
        connect(menu, &QMenu::aboutToShow, this, [this] { UpdateCommandStates(); });
    }

    auto live = [this](auto&& command) {
        return [this, command] {
            if (!stopped_) command();
        };
    };
    connect(actions_.download, &QAction::triggered, this,
            live([this] { controller_->Download(false); }));
    connect(actions_.addShare, &QAction::triggered, this, live([this] { AddShare(); }));
    connect(actions_.removeShare, &QAction::triggered, this,
            live([this] { controller_->RemoveShare(); }));
    connect(actions_.shareProperties, &QAction::triggered, this,
            live([this] { EditShareProperties(); }));
    connect(actions_.addHost, &QAction::triggered, this, live([this] { AddHostByHand(); }));
    connect(actions_.removeHost, &QAction::triggered, this,
            live([this] { controller_->RemoveSelectedHost(); }));
    connect(actions_.refresh, &QAction::triggered, this, live([this] { controller_->Refresh(); }));
    connect(actions_.close, &QAction::triggered, this, &QWidget::close);
    connect(actions_.options, &QAction::triggered, this, live([this] { ShowOptions(); }));
    connect(actions_.helpTopics, &QAction::triggered, this, [this] { ShowHelp(); });
    connect(actions_.about, &QAction::triggered, this, [this] { ShowAbout(); });
    connect(actions_.findComputer, &QAction::triggered, this, live([this] { ShowDiagnosis(); }));
    connect(actions_.cancel, &QAction::triggered, this,
            live([this] { controller_->CancelSelectedTransfers(); }));
    connect(actions_.pause, &QAction::triggered, this,
            live([this] { controller_->PauseSelectedTransfers(); }));
    connect(actions_.resume, &QAction::triggered, this,
            live([this] { controller_->ResumeSelectedTransfers(); }));

    // The keys work whatever the menus show: F5 refreshes even while Refresh is greyed.
    auto* refreshKey = new QShortcut(QKeySequence(Qt::Key_F5), this);
    connect(refreshKey, &QShortcut::activated, this, live([this] { controller_->Refresh(); }));
    auto* helpKey = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(helpKey, &QShortcut::activated, this, [this] { ShowHelp(); });
    // Not every keyboard has a Menu key; Shift+F10 is the desktops' other way to the menu.
    for (const QKeySequence& key :
         {QKeySequence(Qt::SHIFT | Qt::Key_F10), QKeySequence(Qt::Key_Menu)}) {
        auto* menuKey = new QShortcut(key, this);
        connect(menuKey, &QShortcut::activated, this, [this] { OpenContextMenuByKey(); });
    }
    // Cancelling must not need a menu at all.
    auto* cancelKey = new QShortcut(QKeySequence(Qt::Key_Delete), transfers_);
    cancelKey->setContext(Qt::WidgetShortcut);
    connect(cancelKey, &QShortcut::activated, this,
            live([this] { controller_->CancelSelectedTransfers(); }));

    // The toolbar's buttons are always enabled, unlike the menu items they share a command with.
    auto* toolbar = findChild<QToolBar*>("toolbar");
    QAction* addShare =
        toolbar->addAction(ToolbarIcon(ToolbarImage::AddShare), Tr(ui::StringId::TooltipAddShare));
    QAction* options =
        toolbar->addAction(ToolbarIcon(ToolbarImage::Options), Tr(ui::StringId::TooltipOptions));
    actions_.up = toolbar->addAction(ToolbarIcon(ToolbarImage::Up), Tr(ui::StringId::TooltipUp));
    connect(addShare, &QAction::triggered, this, live([this] { AddShare(); }));
    connect(options, &QAction::triggered, this, live([this] { ShowOptions(); }));
    connect(actions_.up, &QAction::triggered, this, live([this] { controller_->SelectParent(); }));
}

ui::MenuState MainWindow::UpdateCommandStates() {
    if (stopped_) return {};
    const ui::MenuState state = controller_->GetMenuState();
    actions_.download->setEnabled(state.download);
    actions_.addShare->setEnabled(state.addShare);
    actions_.removeShare->setEnabled(state.removeShare);
    actions_.shareProperties->setEnabled(state.shareProperties);
    actions_.refresh->setEnabled(state.refresh);
    actions_.removeHost->setEnabled(state.removeHost);
    actions_.cancel->setEnabled(state.cancel);
    actions_.pause->setEnabled(state.pause);
    actions_.resume->setEnabled(state.resume);
    actions_.addHost->setVisible(state.showHostCommands);
    actions_.removeHost->setVisible(state.showHostCommands);
    return state;
}

void MainWindow::AddDownloadToItem(QMenu& menu, const ui::MenuState& state) {
    if (state.lastDownloadFolder.empty()) return;
    const std::string folder = ui::CompactPath(state.lastDownloadFolder, kDownloadToFolderChars);
    auto* downloadTo =
        new QAction(ToQt(ui::FormatText(ui::StringId::MenuDownloadTo, {folder})), &menu);
    downloadTo->setEnabled(state.download);
    connect(downloadTo, &QAction::triggered, this, [this] {
        if (!stopped_) controller_->Download(true);
    });
    // The second item, right below "Download".
    const QList<QAction*> items = menu.actions();
    menu.insertAction(items.size() > 1 ? items[1] : nullptr, downloadTo);
}

std::unique_ptr<QMenu> MainWindow::TreeContextMenu() {
    const ui::MenuState state = UpdateCommandStates();
    auto menu = std::make_unique<QMenu>(this);
    menu->addAction(actions_.download);
    menu->addSeparator();
    menu->addActions(
        {actions_.addShare, actions_.removeShare, actions_.addHost, actions_.removeHost});
    menu->addSeparator();
    menu->addAction(actions_.refresh);
    menu->addSeparator();
    menu->addAction(actions_.shareProperties);
    AddDownloadToItem(*menu, state);
    return menu;
}

std::unique_ptr<QMenu> MainWindow::FileContextMenu() {
    const ui::MenuState state = UpdateCommandStates();
    auto menu = std::make_unique<QMenu>(this);
    menu->addAction(actions_.download);
    AddDownloadToItem(*menu, state);
    return menu;
}

std::unique_ptr<QMenu> MainWindow::TransferContextMenu() {
    UpdateCommandStates();
    auto menu = std::make_unique<QMenu>(this);
    menu->addActions({actions_.pause, actions_.resume, actions_.cancel});
    return menu;
}

void MainWindow::OpenContextMenuByKey() {
    QWidget* focused = focusWidget();
    if (focused == nullptr) return;
    for (QAbstractItemView* view :
         std::initializer_list<QAbstractItemView*>{tree_, files_, transfers_}) {
        if (focused != view) continue;
        // Beside the current row, as a click there would open it.
        const QRect row = view->visualRect(view->currentIndex());
        emit view->customContextMenuRequested(row.isValid() ? row.center() : QPoint(0, 0));
        return;
    }
    // Any other control (the chat's input) opens its own menu.
    QContextMenuEvent event(QContextMenuEvent::Keyboard, focused->rect().center(),
                            focused->mapToGlobal(focused->rect().center()));
    QApplication::sendEvent(focused, &event);
}

void MainWindow::ShowContextMenu(std::unique_ptr<QMenu> menu, QWidget* owner,
                                 const QPoint& position) {
    if (stopped_) return;
    auto* view = qobject_cast<QAbstractScrollArea*>(owner);
    QWidget* area = view ? view->viewport() : owner;
    menu->exec(area->mapToGlobal(position));
}

void MainWindow::AddShare() {
    if (RunShareWizard(this, settings_) && !stopped_) controller_->NotifyHostsModified();
}

void MainWindow::ShareDroppedFolder(const QString& folder) {
    std::string path = FromQt(folder);
    std::string name = ui::ProposeShareNameForDrop(path);
    if (ShareDialog::AddShare(this, settings_, name, path) && !stopped_) {
        controller_->OnShareAddedByDrop();
    }
}

void MainWindow::EditShareProperties() {
    const std::optional<ui::LocalShare> share = controller_->SelectedLocalShare();
    if (!share) return;
    std::string name = share->name;
    std::string path = share->folder;
    if (ShareDialog::EditShare(this, settings_, name, path) && !stopped_) {
        controller_->NotifyHostsModified();
    }
}

void MainWindow::ShowOptions() {
    if (!OptionsSheet::Run(this, settings_) || stopped_) return;
    controller_->ApplyHostName();
    controller_->ApplyDownloadLimit();
    const std::string problem = controller_->ApplyWebView();
    if (!problem.empty()) {
        QMessageBox::warning(this, Tr(ui::StringId::ProductName), ToQt(problem));
    }
}

void MainWindow::AddHostByHand() {
    // The hosts added before, offered in the list of an editable box that starts empty.
    QStringList hosts;
    for (const std::string& entry : ui::DisplayOrder(ui::LoadHostMru(settings_))) {
        hosts << ToQt(entry);
    }
    AddHostDialog dialog(this, hosts, [this](const std::string& text, auto done) {
        return !stopped_ && controller_->StartAddHost(text, std::move(done));
    });
    dialog.exec();
    controller_->CancelAddHost();
}

void MainWindow::ShowAbout() {
    QMessageBox box(QMessageBox::NoIcon, Tr(ui::StringId::AboutTitle),
                    Tr(ui::StringId::ProductName), QMessageBox::Ok, this);
    box.setIconPixmap(ApplicationIcon().pixmap(64, 64));
    box.setInformativeText(ToQt(ui::FormatText(ui::StringId::AboutVersion, {WENDARO_VERSION})) +
                           "\n\n" + Tr(ui::StringId::AboutLicence));
    box.exec();
}

void MainWindow::ShowDiagnosis() {
    DiagnosisDialog dialog(this, dispatcher_);
    dialog.exec();
}

void MainWindow::ShowHelp() {
    ShowHelpWindow(this);
}

}  // namespace qtui
