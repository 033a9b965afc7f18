// What only the widgets do: placing the panes and dragging the splitters, showing and greying the
// commands, the "Download to" item, Tab through the panes, Enter in the chat, and a dropped folder
// becoming a share. A real controller runs over a recording network that starts no thread and no
// socket. A session ending under an open dialog is the end-to-end test's.
#include "qt/main_window.h"

#include <QApplication>
#include <QHeaderView>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <fstream>
#include <memory>

#include "core/parseini.h"
#include "qt/chat_pane.h"
#include "qt/client_area.h"
#include "qt/file_list.h"
#include "qt/host_tree.h"
#include "qt/main_window_fixture.h"
#include "qt/share_dialog.h"
#include "qt/transfer_list.h"
#include "ui/desktop/window_layout.h"
#include "ui/transfers/unfinished_downloads.h"

namespace {

using qttest::Window;

class MainWindowTest final : public QObject {
    Q_OBJECT
private slots:
    void init() {
        folder_ = std::make_unique<QTemporaryDir>();
        settings_ = folder_->filePath("wendaro.ini");
        std::ofstream(settings_.toStdString()) << "[global]\nhostname=test-pc\n";
    }

    void StoredLayoutComesBackClampedAndTheSplitterStopsAtItsLimit() {
        std::ofstream(settings_.toStdString())
            << "[global]\nXPos=10\nYPos=20\nXSize=700\nYSize=500\nleftpanelwidth=300\n"
               "bottompanelheight=5000\ncolumnwidthlistviewsize=150\n";
        Window w(settings_);
        w.window.RestoreLayoutAndShow();
        QCOMPARE(w.window.geometry().size(), QSize(700, 500));
        QCOMPARE(w.window.Files().header()->sectionSize(1), 150);
        qtui::ClientArea& client = w.window.Client();
        QCOMPARE(client.Panels().leftPanelWidth, 300);
        QCOMPARE(client.Panels().bottomPanelHeight, client.height() - 150);

        // The panes follow the layout; the vertical bar dragged far left stops at 150 pixels.
        client.SetPanels({300, 200});
        const ui::MainLayout layout = ui::ComputeMainLayout(client.ClientSize(), {300, 200});
        QCOMPARE(w.window.Tree().geometry(),
                 QRect(layout.tree.x, layout.tree.y, layout.tree.width, layout.tree.height));
        const QPoint bar(300 + 9, 100);
        QTest::mousePress(&client, Qt::LeftButton, {}, bar);
        QTest::mouseMove(&client, QPoint(2, 100));
        QTest::mouseRelease(&client, Qt::LeftButton, {}, QPoint(2, 100));
        QCOMPARE(client.Panels().leftPanelWidth, 150);
        QCOMPARE(w.window.Tree().width(), 150);

        // Escape during a drag puts the bar back.
        const int bandY = client.height() - client.Panels().bottomPanelHeight - 10;
        QTest::mousePress(&client, Qt::LeftButton, {}, QPoint(400, bandY));
        QTest::mouseMove(&client, QPoint(400, bandY - 80));
        QVERIFY(client.Panels().bottomPanelHeight != 200);
        QTest::keyClick(&client, Qt::Key_Escape);
        QCOMPARE(client.Panels().bottomPanelHeight, 200);
    }

    // Which command fits which selection is the controller's test; here the actions follow it,
    // grey out with the focus and show the host commands only when switched on.
    void MenusFollowSelectionFocusAndHostFeatureSwitches() {
        for (const bool debugFeatures : {false, true}) {
            Window w(settings_, debugFeatures);
            w.ListLocalShares();
            w.window.Tree().setFocus();
            w.window.Tree().setCurrentItem(w.ItemNamed("Docs"));
            w.window.UpdateCommandStates();
            const qtui::CommandActions& a = w.window.Actions();
            QVERIFY(a.removeShare->isEnabled() && a.refresh->isEnabled());
            QVERIFY(!a.removeHost->isEnabled());
            QCOMPARE(a.addHost->isVisible(), debugFeatures);
            QCOMPARE(a.removeHost->isVisible(), debugFeatures);
            w.window.Files().setFocus();
            w.window.UpdateCommandStates();
            QVERIFY(!a.removeShare->isEnabled() && !a.refresh->isEnabled());
        }
        utilcpp::CParseini(settings_.toStdString()).SetInt("global", "addonfeatures", 1);
        Window w(settings_);
        w.window.UpdateCommandStates();
        QVERIFY(w.window.Actions().addHost->isVisible());
    }

    void DownloadToItemOnlyForAnExistingLastFolder() {
        Window w(settings_);
        QCOMPARE(w.window.FileContextMenu()->actions().size(), 1);
        const QString target = folder_->filePath("a folder with a rather long name/inside");
        QVERIFY(QDir().mkpath(target));
        utilcpp::CParseini(settings_.toStdString())
            .SetString("global", "lastdownloadpath", target.toStdString());
        const auto menu = w.window.FileContextMenu();
        QCOMPARE(menu->actions().size(), 2);
        const QString text = menu->actions()[1]->text();
        QVERIFY2(text.startsWith("Download to ") && text.endsWith(".../inside"), qPrintable(text));
        // In the tree's menu it is the second item as well.
        QCOMPARE(w.window.TreeContextMenu()->actions()[1]->text(), text);
        QDir(target).removeRecursively();
        QCOMPARE(w.window.FileContextMenu()->actions().size(), 1);
    }

    void TabWalksThePanesAndEnterSendsTheChatLine() {
        Window w(settings_);
        w.ListLocalShares();
        w.window.Tree().setCurrentItem(w.ItemNamed("test-pc"));
        w.window.Controller().FillFileList();
        w.window.Files().Commit();
        QCOMPARE(w.window.Files().RowCount(), 1);

        w.window.Tree().setFocus();
        QApplication::processEvents();
        using F = ui::FocusTarget;
        for (const F target :
             {F::FileList, F::ChatInput, F::SendButton, F::TransferList, F::Tree}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(w.window.FocusedControl(), target);
            if (target == F::FileList)
                QCOMPARE(w.window.Files().SelectedRows(), std::vector<std::size_t>{0});
        }
        // Enter sends the chat line, from the input and from the Send button.
        qtui::ChatPane& chat = w.window.Chat();
        QTest::keyClicks(chat.Input(), "first");
        QTest::keyClick(chat.Input(), Qt::Key_Return);
        chat.Input()->setText("second");
        QTest::keyClick(chat.SendButton(), Qt::Key_Enter);
        QCOMPARE(w.network->chatSent, (std::vector<std::string>{"first", "second"}));
        QVERIFY(chat.Input()->text().isEmpty());
    }

    void DroppedFolderBecomesAShare() {
        Window w(settings_);
        const QString shared = folder_->filePath("Music");
        QVERIFY(QDir().mkpath(shared));

        // Two folders at once, or a file, are no share.
        for (const QList<QUrl>& refused :
             {QList{QUrl::fromLocalFile(shared), QUrl::fromLocalFile(folder_->path())},
              QList{QUrl::fromLocalFile(settings_)}}) {
            QMimeData data;
            data.setUrls(refused);
            QVERIFY(qtui::DroppedFolder(&data).isEmpty());
        }
        QMimeData one;
        one.setUrls({QUrl::fromLocalFile(shared)});
        w.network->ClearJobs();
        // The share dialog proposes the folder's name; the user confirms it.
        QTimer::singleShot(0, [] {
            auto* dialog = qobject_cast<qtui::ShareDialog*>(QApplication::activeModalWidget());
            if (dialog) dialog->accept();
        });
        QWidget* target = w.window.Tree().viewport();
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &one, Qt::LeftButton, {});
        QApplication::sendEvent(target, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &one, Qt::LeftButton, {});
        QApplication::sendEvent(target, &drop);

        std::string stored;
        utilcpp::CParseini(settings_.toStdString()).GetString("shares", "Music", stored, "");
        QCOMPARE(QString::fromStdString(stored), shared);
        QCOMPARE(w.network->JobLines(), std::vector<std::string>{"expand 127.0.0.1 \\"});
    }

    // A download left unfinished comes back paused; its menu offers what the controller says.
    void TransferMenuResumesAPausedDownload() {
        const std::string state = folder_->filePath("downloads").toStdString();
        QVERIFY(ui::SaveUnfinishedDownloads(
            state, {{htonl(0x0A000005), "remote", "\\Music\\a.mp3",
                     folder_->filePath("a.mp3").toStdString(), false, 10}}));
        Window w(settings_, false, state);
        qtui::TransferList& list = w.window.Transfers();
        QCOMPARE(list.topLevelItemCount(), 1);
        QCOMPARE(list.topLevelItem(0)->text(1), QString("Paused"));
        list.setFocus();
        list.topLevelItem(0)->setSelected(true);
        auto menu = w.window.TransferContextMenu();
        QStringList texts;
        for (QAction* action : menu->actions()) texts << action->text();
        QCOMPARE(texts, (QStringList{"&Pause", "&Resume", "&Cancel"}));
        const qtui::CommandActions& a = w.window.Actions();
        QVERIFY(!a.pause->isEnabled() && a.resume->isEnabled() && a.cancel->isEnabled());
        a.resume->trigger();
        QCOMPARE(w.network->JobsOf(JobType::Retrieve).size(), std::size_t{1});
        QCOMPARE(list.topLevelItem(0)->text(1), QString("Wait"));
        menu = w.window.TransferContextMenu();
        QVERIFY(a.pause->isEnabled() && !a.resume->isEnabled());
    }

    void ARunOfFinishedRowsGoesInOneRemoval() {
        qtui::TransferList list;
        for (const char* name : {"a", "b", "c", "d", "e"}) list.AppendRow(name, "", "pc", 0);
        list.topLevelItem(4)->setSelected(true);
        QSignalSpy removals(list.model(), &QAbstractItemModel::rowsAboutToBeRemoved);
        list.DeleteRows(1, 3);
        QCOMPARE(removals.count(), 1);
        QCOMPARE(removals.front().at(1).toInt(), 1);
        QCOMPARE(removals.front().at(2).toInt(), 3);
        QCOMPARE(list.topLevelItemCount(), 2);
        QCOMPARE(list.topLevelItem(1)->text(0), QString("e"));
        QCOMPARE(list.SelectedRows(), std::vector<std::size_t>{1});
    }

    // Return pressed as the download question of an unknown host opens (the end of a chat line)
    // used to answer Yes; it does nothing until the question has been shown a moment, and then
    // means No.
    void ReturnAtTheDownloadQuestionNeverAllows() {
        Window w(settings_);
        QMessageBox* seen = nullptr;
        bool openAfterFirstReturn = false;
        QTimer::singleShot(0, [&] {
            seen = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (seen == nullptr) return;
            QTest::keyClick(seen, Qt::Key_Return);
            QTimer::singleShot(50, [&] {
                openAfterFirstReturn = QApplication::activeModalWidget() == seen;
                QTimer::singleShot(1200, [&] {
                    if (QApplication::activeModalWidget() == seen) {
                        QTest::keyClick(seen, Qt::Key_Return);
                    }
                });
            });
        });
        const ui::Answer answer = w.window.Ask(ui::Question::UnknownHostWantsDownload, "?",
                                               ui::PromptButtons::YesNoRefuseAll);
        QVERIFY(seen != nullptr);
        QVERIFY(openAfterFirstReturn);
        QCOMPARE(answer, ui::Answer::No);
    }

private:
    std::unique_ptr<QTemporaryDir> folder_;
    QString settings_;
};

}  // namespace

int RunMainWindowTests(int argc, char** argv) {
    MainWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "main_window_test.moc"
