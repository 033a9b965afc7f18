#include "qt/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>

#include "core/settings_keys.h"
#include "qt/chat_pane.h"
#include "qt/client_area.h"
#include "qt/file_list.h"
#include "qt/folder_browser.h"
#include "qt/host_tree.h"
#include "qt/icons.h"
#include "qt/qt_text.h"
#include "qt/setup_wizard.h"
#include "qt/splash_screen.h"
#include "qt/transfer_list.h"
#include "ui/desktop/first_run.h"
#include "ui/desktop/layout_settings.h"
#include "ui/desktop/window_placement.h"

namespace qtui {

namespace {

constexpr int kSecondTimerMs = 1000;
constexpr int kTenthSecondTimerMs = 100;

ui::Rect ToUi(const QRect& rect) {
    return {rect.x(), rect.y(), rect.width(), rect.height()};
}

QRect ToQt(const ui::Rect& rect) {
    return {rect.x, rect.y, rect.width, rect.height};
}

}  // namespace

MainWindow::MainWindow(MainWindowOptions options, ui::NetworkFactory network)
    : options_(std::move(options)), settings_(options_.settingsFile) {
    setWindowTitle(Tr(ui::StringId::ProductName));
    setWindowIcon(ApplicationIcon());
    BuildPanes();
    BuildMenusAndToolbar();

    const ui::ControllerViews views{*tree_, *tree_, *files_, *transfers_, *chat_,     *this,
                                    *this,  *this,  *this,   clock_,      dispatcher_};
    ui::ControllerOptions controllerOptions;
    controllerOptions.settingsFile = options_.settingsFile;
    controllerOptions.debugFeatures = options_.debugFeatures;
    controllerOptions.downloadStateFile = options_.downloadStateFile;
    controller_ =
        std::make_unique<ui::CLumvaleDialog>(views, controllerOptions, std::move(network));
    ConnectViews();
    controller_->Start();

    connect(&secondTimer_, &QTimer::timeout, this, [this] { controller_->OnSecondTimer(); });
    connect(&tenthTimer_, &QTimer::timeout, this, [this] { controller_->OnTenthSecondTimer(); });
    secondTimer_.start(kSecondTimerMs);
    tenthTimer_.start(kTenthSecondTimerMs);
}

MainWindow::~MainWindow() {
    StopController();
    // Once the outermost handler has returned (it has, when the window goes), the network
    // threads are joined here at the latest.
    controller_->Shutdown();
    tree_->ForgetNodes();
}

void MainWindow::BuildPanes() {
    client_ = new ClientArea(this);
    setCentralWidget(client_);
    tree_ = new HostTree(client_);
    files_ = new FileList(client_);
    chat_ = new ChatPane(client_);
    auto* transferGroup = new QGroupBox(Tr(ui::StringId::TransferGroup), client_);
    transfers_ = new TransferList(transferGroup);
    auto* toolbar = new QToolBar(client_);
    toolbar->setIconSize(QSize(24, 24));
    toolbar->setMovable(false);
    toolbar->setFloatable(false);
    toolbar->setObjectName("toolbar");
    for (int i = 0; i < files_->header()->count(); ++i) {
        files_->header()->resizeSection(i, ui::kFileListColumns[i].defaultWidth);
    }
    for (int i = 0; i < transfers_->columnCount(); ++i) {
        transfers_->header()->resizeSection(i, ui::kTransferListColumns[i].defaultWidth);
    }
    client_->SetPanes({toolbar, tree_, files_, chat_, transferGroup, transfers_});
    // Until the stored layout is read: the first-start proportions of the default size.
    const ui::Size client = ui::kDefaultMainWindowSize;
    client_->SetPanels(
        {ui::DefaultLeftPanelWidth(client.width), ui::DefaultBottomPanelHeight(client.height)});
    setTabOrder(tree_, files_);
    setTabOrder(files_, chat_->Input());
    setTabOrder(chat_->Input(), chat_->SendButton());
    setTabOrder(chat_->SendButton(), transfers_);
}

void MainWindow::ConnectViews() {
    // After shutdown the controller has no network and no model: the views stop talking to it.
    auto live = [this] { return !stopped_; };
    connect(tree_, &HostTree::selectionChangedByUser, this, [this, live] {
        if (live()) controller_->OnTreeSelectionChanged();
    });
    connect(tree_, &HostTree::nodeExpanding, this, [this, live](CNetNode* node) {
        if (live()) controller_->OnTreeItemExpanding(*node);
    });
    connect(tree_, &HostTree::folderDropped, this, [this, live](const QString& folder) {
        if (live()) ShareDroppedFolder(folder);
    });
    connect(files_, &FileList::statusChanged, this, [this](const QString& text) {
        // The status line appears only once there is something to say, so that the stored
        // window layout keeps its size otherwise.
        if (!text.isEmpty()) {
            statusBar()->showMessage(text);
        } else if (QStatusBar* bar =
                       findChild<QStatusBar*>(QString(), Qt::FindDirectChildrenOnly)) {
            bar->clearMessage();
        }
    });
    connect(files_, &FileList::sortRequested, this, [this, live](int column) {
        if (live()) controller_->SortByColumn(column);
    });
    connect(files_, &FileList::openRequested, this, [this, live](bool useLastFolder) {
        if (live()) controller_->OpenSelectedRow(useLastFolder);
    });
    connect(chat_, &ChatPane::sendRequested, this, [this, live] {
        if (live()) controller_->SendChat();
    });
    connect(tree_, &QWidget::customContextMenuRequested, this, [this](const QPoint& point) {
        if (QTreeWidgetItem* item = tree_->itemAt(point)) tree_->setCurrentItem(item);
        ShowContextMenu(TreeContextMenu(), tree_, point);
    });
    connect(files_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& point) { ShowContextMenu(FileContextMenu(), files_, point); });
    connect(transfers_, &QWidget::customContextMenuRequested, this, [this](const QPoint& point) {
        ShowContextMenu(TransferContextMenu(), transfers_, point);
    });
}

bool MainWindow::ShowStartDialogs() {
    // The window is still hidden: the dialogs centre on the screen.
    if (!stopped_ && ui::ShouldShowSplash(settings_)) SplashScreen::Show();
    if (!stopped_ && ui::ShouldOfferFirstRunWizard(settings_) &&
        RunFirstRunWizard(nullptr, settings_) && !stopped_) {
        controller_->OnFirstRunFinished();
    }
    return !stopped_;
}

void MainWindow::RestoreLayoutAndShow() {
    const std::optional<ui::WindowPlacement> placement =
        ui::LoadPlacement(settings_, settings_keys::kGlobal, ui::kMainWindowRestoreFlags);
    QRect normal;
    if (placement) {
        normal = ToQt(placement->normal);
    } else {
        const QScreen* screen = QGuiApplication::primaryScreen();
        const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
        normal = ToQt(ui::DefaultMainWindowRect(ToUi(area)));
    }
    // The panes' minimum from before must not hold the window at the size it had.
    client_->setMinimumSize(0, 0);
    setGeometry(normal);
    const ui::Size client{normal.width(), normal.height() - menuBar()->sizeHint().height()};
    const ui::StoredLayout layout = ui::LoadLayout(settings_, client);
    for (int i = 0; i < files_->header()->count(); ++i) {
        files_->header()->resizeSection(i, layout.fileListColumns[static_cast<std::size_t>(i)]);
    }
    for (int i = 0; i < transfers_->columnCount(); ++i) {
        transfers_->header()->resizeSection(
            i, layout.transferListColumns[static_cast<std::size_t>(i)]);
    }
    client_->SetPanels(layout.panels, client);

    const ui::ShowMode mode = placement
                                  ? ui::RestoreShowMode(*placement, ui::kMainWindowRestoreFlags)
                                  : ui::ShowMode::Normal;
    switch (mode) {
        case ui::ShowMode::LeaveHidden:
            break;
        case ui::ShowMode::Maximized:
            showMaximized();
            break;
        case ui::ShowMode::Minimized:
            showMinimized();
            break;
        case ui::ShowMode::Normal:
            show();
            activateWindow();
            break;
        case ui::ShowMode::NormalNoActivate:
            setAttribute(Qt::WA_ShowWithoutActivating);
            show();
            break;
    }
    if (placement && placement->topMost) {
        setWindowFlag(Qt::WindowStaysOnTopHint, true);
        if (mode != ui::ShowMode::LeaveHidden) show();
    }
    tree_->setFocus(Qt::OtherFocusReason);
}

void MainWindow::SaveLayout() {
    if (layoutSaved_) return;
    layoutSaved_ = true;
    ui::WindowPlacement placement;
    placement.normal = ToUi(isMaximized() || isMinimized() ? normalGeometry() : geometry());
    placement.minimized = isMinimized();
    placement.maximized = isMaximized();
    placement.hidden = !isVisible();
    placement.topMost = (windowFlags() & Qt::WindowStaysOnTopHint) != 0;
    // A window never shown has no placement worth keeping.
    if (placement.normal.width > 0 && placement.normal.height > 0) {
        (void)ui::SavePlacement(settings_, settings_keys::kGlobal, placement,
                                ui::kMainWindowSaveFlags);
    }
    ui::StoredLayout layout;
    for (std::size_t i = 0; i < layout.fileListColumns.size(); ++i) {
        layout.fileListColumns[i] = files_->header()->sectionSize(static_cast<int>(i));
    }
    for (std::size_t i = 0; i < layout.transferListColumns.size(); ++i) {
        layout.transferListColumns[i] = transfers_->header()->sectionSize(static_cast<int>(i));
    }
    layout.panels = client_->Panels();
    (void)ui::SaveLayout(settings_, layout);
}

void MainWindow::StopController() {
    if (stopped_) return;
    stopped_ = true;
    secondTimer_.stop();
    tenthTimer_.stop();
    SaveLayout();
    dispatcher_.ShutdownWhenIdle([this] {
        controller_->Shutdown();
        tree_->ForgetNodes();
    });
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!stopped_ && !sessionEnding_ && !controller_->ConfirmClose()) {
        event->ignore();
        return;
    }
    StopController();
    event->accept();
}

void MainWindow::EndSession() {
    sessionEnding_ = true;
    // Innermost first; each one's modal loop ends once this handler has returned.
    QDialog* last = nullptr;
    while (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
        if (dialog == last) break;  // one that refuses to close is left to its user
        last = dialog;
        dialog->reject();
    }
    close();
}

void MainWindow::Raise() {
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
}

ui::Answer MainWindow::Ask(ui::Question question, const std::string& text,
                           ui::PromptButtons buttons) {
    QMessageBox box(QMessageBox::Question, Tr(ui::StringId::ProductName), ToQt(text),
                    QMessageBox::NoButton, this);
    // Questions may carry names a peer chose; they are shown as they are, never as markup.
    box.setTextFormat(Qt::PlainText);
    QPushButton* yes = box.addButton(QMessageBox::Yes);
    QPushButton* no = box.addButton(QMessageBox::No);
    QPushButton* cancel = nullptr;
    if (buttons == ui::PromptButtons::YesNoCancel) cancel = box.addButton(QMessageBox::Cancel);
    QPushButton* refuseAll = nullptr;
    if (buttons == ui::PromptButtons::YesNoRefuseAll) {
        refuseAll =
            box.addButton(ToQt(ui::Translate("Refuse all unknown hosts")), QMessageBox::RejectRole);
    }
    box.setEscapeButton(cancel ? cancel : no);
    const ui::PromptGuard guard = ui::GuardOf(question);
    if (guard.defaultNo) {
        // Return on a focused Yes would still press it unless Yes is no default of any kind.
        yes->setAutoDefault(false);
        box.setDefaultButton(no);
    }
    if (guard.inputDelayMs > 0) {
        const QList<QAbstractButton*> all = box.buttons();
        for (QAbstractButton* button : all) button->setEnabled(false);
        QTimer::singleShot(guard.inputDelayMs, &box, [all] {
            for (QAbstractButton* button : all) button->setEnabled(true);
        });
    }
    box.exec();
    if (refuseAll != nullptr && box.clickedButton() == refuseAll) return ui::Answer::NoToAll;
    const QMessageBox::StandardButton pressed = box.standardButton(box.clickedButton());
    if (pressed == QMessageBox::Yes) return ui::Answer::Yes;
    if (pressed == QMessageBox::No) return ui::Answer::No;
    // Closed without a button.
    return cancel ? ui::Answer::Cancel : ui::Answer::No;
}

void MainWindow::ShowRefusalNote(const std::string& text) {
    if (refusalNote_ == nullptr) {
        refusalNote_ = new QLabel(this);
        statusBar()->addPermanentWidget(refusalNote_);
    }
    refusalNote_->setText(ToQt(text));
}

bool MainWindow::ChooseFolder(const std::string& title, const std::string& start,
                              std::string& chosen) {
    const QString folder = QFileDialog::getExistingDirectory(
        this, ToQt(title), ChooserStartFolder(ToQt(start), QStandardPaths::DownloadLocation));
    if (folder.isEmpty()) return false;
    chosen = FromQt(folder);
    return true;
}

void MainWindow::Play(ui::EventSound) {
    // The controller asks only for the sounds that are heard: the chat sound.
    chatSound_.Play();
}

QWidget* MainWindow::WidgetFor(ui::FocusTarget target) const {
    switch (target) {
        case ui::FocusTarget::Tree:
            return tree_;
        case ui::FocusTarget::FileList:
            return files_;
        case ui::FocusTarget::ChatInput:
            return chat_->Input();
        case ui::FocusTarget::SendButton:
            return chat_->SendButton();
        case ui::FocusTarget::TransferList:
            return transfers_;
        default:
            return nullptr;
    }
}

ui::FocusTarget MainWindow::FocusedControl() const {
    // The window's own focus widget: a menu that is open does not take it away.
    const QWidget* focused = focusWidget();
    if (focused == nullptr || focused == this || focused == client_) {
        return ui::FocusTarget::MainWindow;
    }
    for (const auto target :
         {ui::FocusTarget::Tree, ui::FocusTarget::FileList, ui::FocusTarget::ChatInput,
          ui::FocusTarget::SendButton, ui::FocusTarget::TransferList}) {
        const QWidget* widget = WidgetFor(target);
        if (focused == widget || widget->isAncestorOf(focused)) return target;
    }
    return ui::FocusTarget::Other;
}

void MainWindow::MoveFocus(ui::FocusTarget target) {
    QWidget* widget = WidgetFor(target);
    if (widget == nullptr) {
        if (QWidget* focused = focusWidget()) focused->clearFocus();
        return;
    }
    widget->setFocus(Qt::TabFocusReason);
    if (!ui::SelectsFirstRowOnFocus(target)) return;
    auto* list = static_cast<QAbstractItemView*>(widget);
    if (target == ui::FocusTarget::FileList) files_->Commit();
    if (list->selectionModel()->hasSelection() || list->model()->rowCount() == 0) return;
    const QModelIndex first = list->model()->index(0, 0);
    list->selectionModel()->setCurrentIndex(
        first, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

bool MainWindow::focusNextPrevChild(bool next) {
    MoveFocus(ui::NextFocus(FocusedControl(), next));
    return true;
}

}  // namespace qtui
