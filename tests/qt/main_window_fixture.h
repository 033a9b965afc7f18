// The main window over a real controller and a recording network that starts no thread and no
// socket, shown at the size the end-to-end tests use; shared by the main window's widget tests.
#pragma once

#include <QTest>
#include <QTreeWidgetItem>
#include <memory>

#include "qt/host_tree.h"
#include "qt/main_window.h"
#include "ui/fakes_network.h"

namespace qttest {

struct Window {
    explicit Window(const QString& settingsFile, bool debugFeatures = false,
                    const std::string& stateFile = {})
        : window({settingsFile.toStdString(), debugFeatures, stateFile},
                 [this](const ui::NetworkSetup& setup) {
                     auto created = std::make_unique<fakes::FakeNetwork>(setup.listeners);
                     network = created.get();
                     return created;
                 }) {
        window.resize(850, 600);
        window.show();
        window.activateWindow();
        exposed = QTest::qWaitForWindowExposed(&window);
    }

    // The first job lists the local host's shares: one share, "Docs".
    void ListLocalShares() {
        window.Controller().OnExpandSucceeded(network->JobsOf(JobType::Expand).at(0).id,
                                              {{"Docs", 0, true}});
        window.Tree().expandAll();
    }

    QTreeWidgetItem* ItemNamed(const QString& text) {
        const auto found = window.Tree().findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : found.front();
    }

    fakes::FakeNetwork* network = nullptr;
    qtui::MainWindow window;
    // False when the window never reached the screen; a test that needs it checks.
    bool exposed = false;
};

}  // namespace qttest
