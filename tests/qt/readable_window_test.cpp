// What a user of the main window reads and reaches: cut texts whole in tooltips, the lonely-host
// hint wrapped, the transfer status as a bar with its percentage, the tree's selection kept on a
// click into blank space, "Download to" keeping its last folder, and the context menus and
// cancelling from the keyboard alone.
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <fstream>
#include <memory>

#include "core/parseini.h"
#include "qt/cut_text_tips.h"
#include "qt/file_list.h"
#include "qt/host_tree.h"
#include "qt/main_window.h"
#include "qt/main_window_fixture.h"
#include "qt/qt_translations.h"
#include "qt/search_results.h"
#include "qt/transfer_list.h"
#include "qt/transfer_status_cell.h"

namespace {

using qttest::Window;

// The texts of the popup menu that `open` brings up; the menu is closed again.
QStringList PopupTexts(const std::function<void()>& open) {
    QStringList texts;
    QTimer::singleShot(200, [&texts] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            for (QAction* action : menu->actions())
                if (!action->isSeparator()) texts << action->text();
            menu->close();
        }
    });
    open();
    QTest::qWait(300);
    return texts;
}

class ReadableWindowTest final : public QObject {
    Q_OBJECT
private slots:
    void init() {
        folder_ = std::make_unique<QTemporaryDir>();
        settings_ = folder_->filePath("wendaro.ini");
        std::ofstream(settings_.toStdString()) << "[global]\nhostname=test-pc\n";
    }

    void CutTextsShowWholeInTooltipsAndWholeOnesShowNone() {
        qtui::FileList files;
        files.resize(300, 200);
        files.show();
        const std::string longName(120, 'x');
        files.Clear();
        files.AddRow(longName + ".iso", "1 kB", 0);
        files.AddRow("a.txt", "1 kB", 0);
        files.Commit();
        files.header()->resizeSection(0, 150);
        const QModelIndex cut = files.model()->index(0, 0);
        const QModelIndex whole = files.model()->index(1, 0);
        QCOMPARE(qtui::CutText(files, cut), QString::fromStdString(longName + ".iso"));
        QCOMPARE(qtui::CutText(files, whole), QString());
        files.header()->resizeSection(0, 2000);
        QCOMPARE(qtui::CutText(files, cut), QString());

        // The transfer list's name column: the same.
        qtui::TransferList transfers;
        transfers.resize(400, 200);
        transfers.show();
        transfers.AppendRow(longName, "Waiting", "pc", 0);
        transfers.header()->resizeSection(0, 100);
        QCOMPARE(qtui::CutText(transfers, transfers.model()->index(0, 0)),
                 QString::fromStdString(longName));
        QCOMPARE(qtui::CutText(transfers, transfers.model()->index(0, 2)), QString());
    }

    void TheLonelyHostHintWrapsAtTheTreeWidth() {
        qtui::HostTree tree;
        tree.resize(200, 300);
        tree.show();
        const std::string hint =
            "Please start Wendaro on at least one other computer in the local network.";
        tree.InsertItem(hint, kTreeRoot);
        QTest::qWait(50);
        QTreeWidgetItem* item = tree.topLevelItem(0);
        const int lineHeight = tree.fontMetrics().height();
        const int height = tree.visualItemRect(item).height();
        QVERIFY2(height >= 3 * lineHeight, qPrintable(QString::number(height)));
        // Wider, it needs fewer lines.
        tree.resize(700, 300);
        QTest::qWait(50);
        QVERIFY(tree.visualItemRect(item).height() < height);
        QVERIFY(tree.visualItemRect(item).width() <= tree.viewport()->width());
    }

    void AMovingTransferIsABarWithItsPercentageAndAFailureShowsItsReason() {
        qtui::TransferList list;
        list.resize(400, 200);
        list.header()->resizeSection(1, 100);
        list.show();
        list.AppendRow("a.iso", "Waiting", "pc", 0);
        list.AppendRow("b.iso", "Waiting", "pc", 0);
        const std::string status = "Receive 19% (1,234.56 KB/s)";
        list.SetStatus(0, status, ui::TransferState::Moving);
        list.SetProgress(0, 19);
        list.SetStatus(1, "Receive 80% (1,234.56 KB/s)", ui::TransferState::Moving);
        list.SetProgress(1, 80);
        QCOMPARE(list.topLevelItem(0)->toolTip(1), QString::fromStdString(status));
        // Where the 80% bar is filled, the 19% bar is not: above the percentage's text.
        const QImage shot = list.viewport()->grab().toImage();
        const QRect first = list.visualRect(list.model()->index(0, 1));
        const QRect second = list.visualRect(list.model()->index(1, 1));
        const int x = first.left() + first.width() / 2;
        QVERIFY(shot.pixel(x, first.top() + 3) != shot.pixel(x, second.top() + 3));
        QCOMPARE(shot.pixel(first.left() + 5, first.top() + 3),
                 shot.pixel(second.left() + 5, second.top() + 3));
        // Once over, the bar goes; a failure leads with its reason.
        list.SetStatus(1, "Fehlgeschlagen: Festplatte voll", ui::TransferState::Failed);
        QVERIFY(!list.topLevelItem(1)->data(1, qtui::kTransferPercentRole).isValid());
        QCOMPARE(qtui::FailureReason("Fehlgeschlagen: Festplatte voll"),
                 QString("Festplatte voll"));
        QCOMPARE(qtui::FailureReason("\xc3\x89"
                                     "chec : disque plein"),
                 QString("disque plein"));
        QCOMPARE(qtui::FailureReason("Failed"), QString("Failed"));
    }

    void AClickIntoBlankSpaceKeepsTheTreeSelection() {
        Window w(settings_);
        QVERIFY(w.exposed);
        w.ListLocalShares();
        QTreeWidgetItem* docs = w.ItemNamed("Docs");
        QVERIFY(docs);
        w.window.Tree().setCurrentItem(docs);
        QWidget* blank = w.window.Tree().viewport();
        const QPoint below(10, blank->height() - 5);
        QVERIFY(w.window.Tree().itemAt(below) == nullptr);
        QTest::mouseClick(blank, Qt::LeftButton, {}, below);
        QCOMPARE(w.window.Tree().currentItem(), docs);
        QVERIFY(docs->isSelected());
        QTest::mouseClick(blank, Qt::LeftButton, Qt::ControlModifier,
                          w.window.Tree().visualItemRect(docs).center());
        QVERIFY(docs->isSelected());
        QTest::qWait(20);
        QVERIFY(w.window.Tree().SelectedNode() != nullptr);
    }

    // Both lists of rows open what is picked the same way; the results also close on Escape.
    void EnterOrADoubleClickOnARowOpensAndEscapeClosesTheResults() {
        qtui::FileList files;
        files.resize(300, 200);
        files.show();
        files.Clear();
        files.AddRow("a.txt", "1 kB", 0);
        files.Commit();
        QSignalSpy opened(&files, &qtui::FileList::openRequested);
        QTest::keyClick(&files, Qt::Key_Return);
        const QPoint row = files.visualRect(files.model()->index(0, 0)).center();
        QTest::mouseDClick(files.viewport(), Qt::LeftButton, Qt::AltModifier, row);
        QTest::mouseDClick(files.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 190));
        QCOMPARE(opened.size(), 2);  // blank space below the rows opens nothing
        QCOMPARE(opened[0][0].toBool(), false);
        QCOMPARE(opened[1][0].toBool(), true);

        qtui::SearchResultList results;
        QSignalSpy resultsOpened(&results, &qtui::SearchResultList::openRequested);
        QSignalSpy closed(&results, &qtui::SearchResultList::closeRequested);
        QTest::keyClick(&results, Qt::Key_Enter);
        QTest::keyClick(&results, Qt::Key_Escape);
        QCOMPARE(resultsOpened.size(), 1);
        QCOMPARE(closed.size(), 1);
    }

    void DownloadToKeepsTheFolderTheFilesGoTo() {
        Window w(settings_);
        QVERIFY(w.exposed);
        const QString target = folder_->filePath("Downloads/a_very_long_folder_name_x");
        QVERIFY(QDir().mkpath(target));
        utilcpp::CParseini(settings_.toStdString())
            .SetString("global", "lastdownloadpath", (target + "/").toStdString());
        const QString text = w.window.FileContextMenu()->actions().at(1)->text();
        QVERIFY2(text.endsWith(".../a_very_long_folder_name_x/"), qPrintable(text));
    }

    void ShiftF10OpensTheMenusAndDeleteCancelsTransfers() {
        Window w(settings_);
        QVERIFY(w.exposed);
        w.ListLocalShares();
        qtui::MainWindow& window = w.window;
        window.Tree().setFocus();
        window.Tree().setCurrentItem(w.ItemNamed("Docs"));
        const QString refresh = window.Actions().refresh->text();
        QVERIFY(PopupTexts([&] {
                    QTest::keyClick(&window.Tree(), Qt::Key_F10, Qt::ShiftModifier);
                }).contains(refresh));
        QVERIFY(
            PopupTexts([&] { QTest::keyClick(&window.Tree(), Qt::Key_Menu); }).contains(refresh));
        window.Files().setFocus();
        QVERIFY(PopupTexts([&] {
                    QTest::keyClick(&window.Files(), Qt::Key_F10, Qt::ShiftModifier);
                }).contains(window.Actions().download->text()));

        // An upload runs; the transfer list offers Cancel, and Delete cancels it.
        w.network->uploads[7] = ServerConnectionInfo{};
        const StopFlag* cancelled = window.Controller().OnUploadRequested(7);
        QVERIFY(cancelled && !cancelled->load());
        qtui::TransferList& transfers = window.Transfers();
        transfers.setFocus();
        transfers.topLevelItem(0)->setSelected(true);
        QVERIFY(PopupTexts([&] {
                    QTest::keyClick(&transfers, Qt::Key_F10, Qt::ShiftModifier);
                }).contains(window.Actions().cancel->text()));
        QVERIFY(!cancelled->load());
        QTest::keyClick(&transfers, Qt::Key_Delete);
        QVERIFY(cancelled->load());
    }

    void QtsOwnButtonsAndFolderChooserSpeakTheLanguage() {
        QTranslator* german = qtui::LoadQtTranslations(ui::Language::German);
        QVERIFY2(german != nullptr, "qt6-translations-l10n is not installed");
        QMessageBox box;
        QCOMPARE(box.addButton(QMessageBox::No)->text().remove('&'), QString("Nein"));
        QCOMPARE(QFileDialog::tr("Directory:"), QString("Verzeichnis:"));
        QCoreApplication::removeTranslator(german);
        delete german;
        QCOMPARE(box.addButton(QMessageBox::Yes)->text().remove('&'), QString("Yes"));
        QVERIFY(qtui::LoadQtTranslations(ui::Language::English) == nullptr);
    }

private:
    std::unique_ptr<QTemporaryDir> folder_;
    QString settings_;
};

}  // namespace

int RunReadableWindowTests(int argc, char** argv) {
    ReadableWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "readable_window_test.moc"
